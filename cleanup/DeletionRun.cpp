#include "cleanup/DeletionRun.h"

#include "cleanup/DeletionLog.h"
#include "main/FolderLists.h"
#include "platform/Ask.h"
#include "platform/DriveMap.h"
#include "platform/EventPump.h"
#include "platform/Trash.h"
#include "services/ShellOps.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSet>

namespace Deletion {

// ---- the real file operations ----

struct FileOps::Log
{
    DeletionLog::Writer writer;
};

FileOps::~FileOps() = default;

ShellResult FileOps::emptyTrash()
{
    // The option promises a question first; "No" goes on without emptying.
    return Module2::VaciarPapelera(QString(), 0);
}

ShellResult FileOps::trash(const FileRecord &file, const QString &shown, bool confirm)
{
    if (confirm
        && !Ask::yes(QStringLiteral("Eliminar archivo"),
                     QStringLiteral("¿Está seguro de que desea enviar \"") + shown
                         + QStringLiteral("\" a la Papelera de reciclaje?")))
        return ShellResult::declined();
    return Trash::moveToTrash(file);
}

ShellResult FileOps::remove(const SafeFs::Folder &folder, const FileRecord &file)
{
    return SafeFs::remove(folder, file);
}

ShellResult FileOps::removeUnlessReadOnly(const SafeFs::Folder &folder, const FileRecord &file)
{
    return SafeFs::remove(folder, file, SafeFs::ReadOnly::Keep);
}

void FileOps::beginCopies(const SafeFs::Folder &folder, const QString &shown, Progress &progress)
{
    m_copies = std::make_unique<ShellCopy::Batch>(folder.fd(), shown, &progress);
}

ShellResult FileOps::addCopy(const FileRecord &file)
{
    return m_copies ? m_copies->add(file) : ShellResult::failed(QStringLiteral("no hay carpeta de copia"));
}

int FileOps::pendingCopies() const
{
    return m_copies ? m_copies->pending() : 0;
}

qint64 FileOps::pendingCopyBytes() const
{
    return m_copies ? m_copies->pendingBytes() : 0;
}

std::vector<ShellCopy::Batch::Committed> FileOps::commitCopies()
{
    return m_copies ? m_copies->commit() : std::vector<ShellCopy::Batch::Committed>();
}

bool FileOps::withdrawCopy(const ShellCopy::Batch::Committed &copy)
{
    return m_copies && m_copies->withdraw(copy);
}

QList<QByteArray> FileOps::namesIn(const SafeFs::Folder &folder, Progress &progress)
{
    return SafeFs::namesIn(folder, [&progress] { progress.pump(); });
}

bool FileOps::openLog(const SafeFs::Folder &folder, const QString &date, const QString &time, QString *why)
{
    m_log = std::make_shared<Log>();
    return m_log->writer.open(folder.fd(), date, time, why);
}

bool FileOps::addLogLine(const QString &line, QString *why)
{
    return m_log && m_log->writer.add(line, why);
}

bool FileOps::syncLog(QString *why)
{
    return m_log && m_log->writer.sync(why);
}

void FileOps::closeLog()
{
    if (m_log)
        m_log->writer.close();
}

// ---- the run ----

namespace {

// A batch of backup copies is committed when it holds this many files (each
// waiting copy holds a file open) or bytes, or when its first copy waited
// this long (the user sees the items marked as they go).
constexpr int kBatchFiles = 256;
constexpr qint64 kBatchBytes = qint64(64) << 20;
constexpr qint64 kBatchMs = 250;

QString skipReason(const SafeFs::Check &c)
{
    return c.status == SafeFs::Check::Missing ? QStringLiteral("no existe") : c.reason;
}

// The platform's hidden file: a name that starts with ".". A search for
// normal files does not see it, so it counts as absent.
bool isHidden(const FileRecord &record)
{
    return record.name().startsWith('.');
}

// The backup folder the user chose (a Windows path), opened once for the
// whole run: every name below its drive's root without following a link.
SafeFs::Folder openBackupFolder(const QString &windowsFolder, QString *error)
{
    const QString path = DriveMap::collapse(windowsFolder);
    const QString root = path.isEmpty() ? QString() : DriveMap::instance().root(path[0]);
    if (root.isEmpty()) {
        *error = QStringLiteral("la carpeta no existe o su unidad no está disponible");
        return {};
    }
    QByteArray rel;
    for (const QString &n : path.mid(3).split(u'\\', Qt::SkipEmptyParts)) {
        if (!rel.isEmpty())
            rel += '/';
        rel += QFile::encodeName(n);
    }
    SafeFs::Check why;
    SafeFs::Folder folder = SafeFs::Folder::open(QFile::encodeName(root), rel, &why);
    if (!folder.isOpen())
        *error = why.status == SafeFs::Check::Missing ? QStringLiteral("la carpeta no existe o su unidad no está disponible")
                                                      : why.reason;
    return folder;
}

class Runner
{
public:
    Runner(const std::vector<Item> &items, const Options &o, FileOps &files, Progress &progress,
           const std::function<void(size_t, const ItemResult &)> &onItem)
        : m_items(items), m_o(o), m_files(files), m_progress(progress), m_onItem(onItem)
    {
        m_report.items.resize(items.size());
    }

    Report run();

private:
    void settle(size_t index, Status status, const QString &reason = {});
    // Deletes one file whose copy and log line (backup mode) are safe.
    void act(size_t index, bool afterCopy);
    // The user says yes to this item going (the question the mode asks).
    bool agreed(const Item &item) const;
    void copyOne(size_t index);
    void commitBatch();
    bool batchDue() const;
    void breakLog(const QString &why);

    const std::vector<Item> &m_items;
    const Options &m_o;
    FileOps &m_files;
    Progress &m_progress;
    const std::function<void(size_t, const ItemResult &)> &m_onItem;
    Report m_report;

    bool m_backup = false;
    SafeFs::Folder m_backupFolder; // the one handle of the backup folder for the whole run
    QSet<QString> m_backupNames; // case-folded: the restore finds copies by name
    std::vector<size_t> m_waiting; // copied, not yet committed
    QElapsedTimer m_waitingSince;
    bool m_logBroken = false;
};

void Runner::settle(size_t index, Status status, const QString &reason)
{
    ItemResult &r = m_report.items[index];
    r.status = status;
    r.reason = reason;
    switch (status) {
    case Status::Deleted:
        ++m_report.deleted;
        break;
    case Status::Skipped:
        ++m_report.skipped;
        break;
    case Status::Failed:
        ++m_report.failed;
        break;
    case Status::NotReached:
        break;
    }
    if (status == Status::Skipped || status == Status::Failed)
        m_report.problems << m_items[index].path + QStringLiteral("  ->  ") + reason;
    if (m_onItem)
        m_onItem(index, r);
}

bool Runner::agreed(const Item &item) const
{
    return Ask::yes(QStringLiteral("Eliminar archivo"),
                    m_o.toTrash ? QStringLiteral("¿Está seguro de que desea enviar \"") + item.path
                                      + QStringLiteral("\" a la Papelera de reciclaje?")
                                : QStringLiteral("¿Está seguro de que desea eliminar \"") + item.path
                                      + QStringLiteral("\" definitivamente?"));
}

void Runner::act(size_t index, bool afterCopy)
{
    const Item &item = m_items[index];
    // A file backed up was asked about before its copy; otherwise the trash
    // asks for itself and a deletion for good asks here.
    const bool ask = m_o.confirm && !afterCopy;
    if (!m_o.toTrash && ask && !agreed(item)) {
        settle(index, Status::Skipped, QStringLiteral("no confirmado"));
        return;
    }
    // The folder that holds the file, held open: the file is removed through
    // it, and whether it is gone is asked of it, whatever its path leads to
    // meanwhile.
    SafeFs::Check why;
    const SafeFs::Folder folder = SafeFs::Folder::parentOf(item.record, &why);
    if (!folder.isOpen()) {
        settle(index, Status::Skipped, skipReason(why));
        return;
    }
    const ShellResult r = m_o.toTrash        ? m_files.trash(item.record, item.path, ask)
                          : m_o.keepReadOnly ? m_files.removeUnlessReadOnly(folder, item.record)
                                             : m_files.remove(folder, item.record);
    if (r.outcome == ShellResult::Declined) {
        settle(index, Status::Skipped, QStringLiteral("no confirmado"));
        return;
    }
    const SafeFs::Check now = SafeFs::compare(folder, item.record.name(), item.record);
    if (!r.done()) {
        // The file may have changed or gone since it was looked at: that is
        // a reason to keep it, not a failure of the deletion.
        if (now.status == SafeFs::Check::Changed && afterCopy)
            settle(index, Status::Skipped, QStringLiteral("el archivo ha cambiado después de su copia de seguridad"));
        else if (!now.ok())
            settle(index, Status::Skipped, skipReason(now));
        else
            settle(index, Status::Failed,
                   QStringLiteral("no se ha podido borrar") + (r.reason.isEmpty() ? QString() : QStringLiteral(": ") + r.reason));
        return;
    }
    // Counted only when the file is really gone from where it was.
    if (now.status != SafeFs::Check::Missing && now.status != SafeFs::Check::Replaced) {
        settle(index, Status::Failed, QStringLiteral("el archivo sigue en su carpeta"));
        return;
    }
    settle(index, Status::Deleted);
}

void Runner::copyOne(size_t index)
{
    const Item &item = m_items[index];
    const QString name = QFile::decodeName(item.record.name());
    if (!DeletionLog::lineReadsBack(item.path, name)) {
        settle(index, Status::Skipped,
               QStringLiteral("su ruta no se puede escribir en el registro de forma que se pueda recuperar"));
        return;
    }
    // Never replace a backup, in either letter case: two takes of one name
    // from two folders would leave one unrestorable.
    if (m_backupNames.contains(name.toCaseFolded())) {
        ++m_report.nameTaken;
        settle(index, Status::Skipped, QStringLiteral("ya existe una copia con ese nombre en ") + m_o.backupFolder);
        return;
    }
    const ShellResult r = m_files.addCopy(item.record);
    if (!r.done()) {
        const SafeFs::Check now = SafeFs::check(item.record);
        if (!now.ok())
            settle(index, Status::Skipped, skipReason(now));
        else
            settle(index, Status::Failed, QStringLiteral("la copia de seguridad ha fallado: ") + r.reason);
        return;
    }
    m_backupNames.insert(name.toCaseFolded());
    if (m_waiting.empty())
        m_waitingSince.start();
    m_waiting.push_back(index);
}

bool Runner::batchDue() const
{
    return !m_waiting.empty()
        && (m_files.pendingCopies() >= kBatchFiles || m_files.pendingCopyBytes() >= kBatchBytes
            || m_waitingSince.elapsed() >= kBatchMs);
}

void Runner::breakLog(const QString &why)
{
    m_logBroken = true;
    if (m_report.stopped.isEmpty())
        m_report.stopped = QStringLiteral("No se puede escribir el registro ") + DeletionLog::fileName()
            + QStringLiteral(" en ") + m_o.backupFolder + QStringLiteral(": ") + why;
}

// Makes the waiting copies safe together (one flush for the lot), logs the
// items whose copies are good, brings the log to the disk in one flush, and
// only then deletes their files, in list order. Once a line cannot be
// written the run stops there: that item fails, the items after it are not
// reached, and the copies that no line names are taken back.
void Runner::commitBatch()
{
    if (m_waiting.empty())
        return;
    const std::vector<size_t> waiting = std::move(m_waiting);
    m_waiting.clear();
    const std::vector<ShellCopy::Batch::Committed> done = m_files.commitCopies();
    std::vector<size_t> logged;
    QString logError;
    for (size_t k = 0; k < waiting.size(); ++k) {
        const size_t index = waiting[k];
        const ShellCopy::Batch::Committed c = k < done.size() ? done[k] : ShellCopy::Batch::Committed{};
        if (m_logBroken) {
            if (c.result.done())
                m_files.withdrawCopy(c);
        } else if (!c.result.done()) {
            if (c.changed)
                settle(index, Status::Skipped, QStringLiteral("el archivo ha cambiado durante su copia de seguridad"));
            else if (c.differs)
                settle(index, Status::Failed, QStringLiteral("la copia de seguridad no es igual al original"));
            else
                settle(index, Status::Failed, QStringLiteral("la copia de seguridad ha fallado: ") + c.result.reason);
        } else if (!m_files.addLogLine(m_items[index].path, &logError)) {
            // Without its line a file could not be restored: it stays, and
            // the run goes no further.
            m_files.withdrawCopy(c);
            breakLog(logError);
            settle(index, Status::Failed, QStringLiteral("no se puede escribir el registro: ") + logError);
        } else {
            logged.push_back(index);
        }
    }
    if (!logged.empty() && !m_files.syncLog(&logError)) {
        breakLog(logError);
        for (size_t index : logged)
            settle(index, Status::Failed, QStringLiteral("no se puede escribir el registro: ") + logError);
        logged.clear();
    }
    for (size_t index : logged) {
        act(index, true);
        m_progress.pump();
    }
}

Report Runner::run()
{
    m_backup = !m_o.backupFolder.isEmpty();
    if (m_o.emptyTrashFirst) {
        const ShellResult r = m_files.emptyTrash();
        if (r.outcome == ShellResult::Failed) {
            m_report.trashNotEmptied = r.reason;
            m_report.problems << QStringLiteral("Papelera: ") + r.reason;
        }
    }

    if (m_backup) {
        QString error;
        m_backupFolder = openBackupFolder(m_o.backupFolder, &error);
        if (m_backupFolder.isOpen() && !m_files.openLog(m_backupFolder, m_o.date, m_o.time, &error) && error.isEmpty())
            error = QStringLiteral("error de escritura");
        if (!error.isEmpty()) {
            // Without its log a backup cannot be restored: touch nothing.
            m_report.stopped = QStringLiteral("No se puede escribir el archivo ") + DeletionLog::fileName()
                + QStringLiteral(" en la carpeta:\r\n") + m_o.backupFolder + QStringLiteral("\r\n") + error;
            m_files.closeLog();
            m_report.notReached = int(m_items.size());
            return m_report;
        }
        m_files.beginCopies(m_backupFolder, m_o.backupFolder, m_progress);
        for (const QByteArray &n : m_files.namesIn(m_backupFolder, m_progress))
            m_backupNames.insert(QFile::decodeName(n).toCaseFolded());
    }
    m_report.started = true;
    m_progress.setRange(0, std::max(0, m_o.rows - 1));

    for (size_t i = 0; i < m_items.size(); ++i) {
        const Item &item = m_items[i];
        // Protected folders hold in every mode: a backup is no reason to
        // take a file the user asked never to lose.
        if (FolderLists::isProtected(item.path, m_o.protectedFolders)) {
            settle(i, Status::Skipped, QStringLiteral("en una carpeta protegida"));
        } else if (!item.record.isValid()) {
            settle(i, Status::Skipped, QStringLiteral("no se sabe qué archivo nombra esta línea"));
        } else if (m_o.hiddenCountsAsAbsent && isHidden(item.record)) {
            // Neither copied nor deleted, in any mode: as far as the run
            // can see, no such file is there.
            settle(i, Status::Skipped, QStringLiteral("no existe"));
        } else if (!m_backup) {
            act(i, false);
        } else if (m_o.confirm && !agreed(item)) {
            // Asked before its copy: a file the user keeps is neither copied
            // nor named in the log, which lists only what went.
            settle(i, Status::Skipped, QStringLiteral("no confirmado"));
        } else {
            copyOne(i);
        }
        const bool last = i + 1 == m_items.size();
        if (m_backup && (last || m_progress.cancelled() || batchDue()))
            commitBatch();
        m_progress.setValue(item.row);
        m_progress.pump();
        if (m_logBroken)
            break;
        if (m_progress.cancelled()) {
            commitBatch();
            m_report.cancelled = true;
            break;
        }
    }
    commitBatch();
    // What the run never reached is kept as it was; a stop says why.
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (m_report.items[i].status != Status::NotReached)
            continue;
        ++m_report.notReached;
        if (m_logBroken)
            m_report.problems << m_items[i].path + QStringLiteral("  ->  no alcanzado: la operación se ha detenido antes");
    }
    m_files.closeLog();
    // Handed over whole: a million results are not copied.
    return std::move(m_report);
}

} // namespace

Report run(const std::vector<Item> &items, const Options &options, FileOps &files, Progress &progress,
           const std::function<void(size_t, const ItemResult &)> &onItem)
{
    Runner runner(items, options, files, progress, onItem);
    return runner.run();
}

} // namespace Deletion
