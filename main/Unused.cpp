#include "main/Unused.h"

#include "platform/EventPump.h"
#include "services/BuscarPaths.h"

#include <QFile>

#include <algorithm>
#include <memory>

namespace Unused {
namespace {

QString nameKey(const QString &path)
{
    return Buscar::Obtener_Nombre_Archivo(path).toCaseFolded();
}

const QString kFreeze = QStringLiteral("FreezeData");

bool sameFile(const QString &a, const QString &b)
{
    const WinFs::FileStat sa = WinFs::statPath(a);
    if (!sa.isFile && !sa.isDir)
        return false;
    const WinFs::FileStat sb = WinFs::statPath(b);
    return (sb.isFile || sb.isDir) && sa.id == sb.id;
}

} // namespace

const QStringList &patterns()
{
    static const QStringList p = {
        QStringLiteral("*.wav"), QStringLiteral("*.h2"),  QStringLiteral("*.hdp"), QStringLiteral("*.mp3"),
        QStringLiteral("*.hm2"), QStringLiteral("*.hmp"), QStringLiteral("*.aif"), QStringLiteral("*.ha2"),
        QStringLiteral("*.hap"), QStringLiteral("*.ogg"), QStringLiteral("*.hg2"), QStringLiteral("*.hgp"),
        QStringLiteral("*.fla"), QStringLiteral("*.hf2"), QStringLiteral("*.hfp"), QStringLiteral("*.cue"),
        QStringLiteral("*.hz"),  QStringLiteral("*.wma"), QStringLiteral("*.m4a"), QStringLiteral("*.hs"),
    };
    return p;
}

QString projectFolder(const QString &item)
{
    const qsizetype colon = item.indexOf(u':');
    const QString path = colon > 0 ? item.mid(colon - 1) : item;
    if (!WinFs::findNormalFile(path))
        return path;
    const QString name = Buscar::Obtener_Nombre_Archivo(path);
    return path.left(path.size() - name.size());
}

QStringList projectFolders(const QStringList &items)
{
    QStringList out;
    QSet<QString> seen;
    for (const QString &item : items) {
        const QString folder = projectFolder(item);
        if (!seen.contains(folder)) {
            seen.insert(folder);
            out << folder;
        }
    }
    return out;
}

bool isAudioEnding(const QString &path)
{
    static const QString endings[] = {QStringLiteral(".wav"), QStringLiteral(".aif"), QStringLiteral(".mp3"),
                                      QStringLiteral(".ogg"), QStringLiteral("flac"), QStringLiteral(".wma"),
                                      QStringLiteral(".m4a")};
    const QStringView tail = QStringView(path).right(4);
    for (const QString &e : endings) {
        if (tail.compare(e, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

Comparison compareFiles(const QString &file1, const QString &file2)
{
    if (file1.isEmpty() || file2.isEmpty())
        return {};
    if (sameFile(file1, file2))
        return {Sameness::Identical, {}};
    // Two lengths that differ say all: the contents cannot be the same.
    const WinFs::FileStat s1 = WinFs::statPath(file1);
    const WinFs::FileStat s2 = WinFs::statPath(file2);
    if (s1.isFile && s2.isFile && s1.size != s2.size)
        return {};
    QFile a(WinFs::hostPath(file1));
    QFile b(WinFs::hostPath(file2));
    if (!a.open(QIODevice::ReadOnly))
        return {Sameness::Unreadable, file1};
    if (!b.open(QIODevice::ReadOnly))
        return {Sameness::Unreadable, file2};
    if (a.size() != b.size())
        return {};
    const qint64 kBlock = std::clamp<qint64>(a.size(), 1, qint64(1) << 20);
    std::unique_ptr<char[]> ba(new char[size_t(kBlock)]);
    std::unique_ptr<char[]> bb(new char[size_t(kBlock)]);
    qint64 left = a.size();
    while (left > 0) {
        const qint64 want = std::min(left, kBlock);
        if (a.read(ba.get(), want) != want)
            return {Sameness::Unreadable, file1};
        if (b.read(bb.get(), want) != want)
            return {Sameness::Unreadable, file2};
        if (std::memcmp(ba.get(), bb.get(), size_t(want)) != 0)
            return {};
        left -= want;
    }
    return {Sameness::Identical, {}};
}

bool takesPart(const QString &usedLine)
{
    return !usedLine.trimmed().isEmpty() && !usedLine.contains(u'>') && !usedLine.contains(kFreeze);
}

bool lineMatches(const QString &l, const QString &u, const Matcher::Compare &compare)
{
    if (!takesPart(u))
        return false;
    if (l == u)
        return true;
    if (nameKey(l) == nameKey(u)) {
        if (!WinFs::findNormalFile(l) || !WinFs::findNormalFile(u))
            return true;
        return compare(l, u).result != Sameness::Different;
    }
    return sameFile(l, u);
}

Matcher::Matcher(const QStringList &usedLines, Compare compare) : m_compare(std::move(compare))
{
    using Plain = Comparison (*)(const QString &, const QString &);
    const Plain *target = m_compare.target<Plain>();
    m_plainCompare = target && *target == &compareFiles;
    for (const QString &u : usedLines) {
        if (!takesPart(u))
            continue;
        m_exact.insert(u);
        m_byName[nameKey(u)].push_back(int(m_used.size()));
        m_used << u;
    }
    m_stat.resize(size_t(m_used.size()));
    m_statDone.assign(size_t(m_used.size()), false);
}

const WinFs::FileStat &Matcher::usedStat(int index)
{
    if (!m_statDone[size_t(index)]) {
        m_stat[size_t(index)] = WinFs::statPath(m_used[index]);
        m_statDone[size_t(index)] = true;
    }
    return m_stat[size_t(index)];
}

QHash<QString, bool> Matcher::normalFiles() const
{
    QHash<QString, bool> out;
    out.reserve(m_used.size());
    for (int i = 0; i < m_used.size(); ++i) {
        if (m_statDone[size_t(i)])
            out.insert(m_used[i], m_stat[size_t(i)].isFile && !m_stat[size_t(i)].hidden);
    }
    return out;
}

void Matcher::prepare(Progress &progress)
{
    if (!m_idsReady)
        indexIds(&progress);
}

void Matcher::indexIds(Progress *progress)
{
    m_idsReady = true;
    for (int i = 0; i < m_used.size(); ++i) {
        if (progress)
            progress->pump();
        const WinFs::FileStat &st = usedStat(i);
        if (!st.isFile && !st.isDir)
            continue;
        m_ids[st.id.inode].push_back(st.id);
        if (st.isLink || st.links > 1)
            m_usedAliases = true;
    }
}

bool Matcher::matches(const QString &l, bool mayBeLink)
{
    if (m_exact.contains(l))
        return true;
    const auto it = m_byName.constFind(nameKey(l));
    if (it != m_byName.constEnd()) {
        const WinFs::FileStat lst = WinFs::statPath(l);
        if (!lst.isFile || lst.hidden)
            return true;
        if (m_plainCompare) {
            NameGroup &group = nameGroup(it.key(), *it);
            if (group.anyMissing)
                return true;
            if (!m_idsReady)
                indexIds(nullptr);
            const auto ids = m_ids.constFind(lst.id.inode);
            if (ids != m_ids.constEnd() && std::find(ids->begin(), ids->end(), lst.id) != ids->end())
                return true;
            if (sameContents(l, lst, group))
                return true;
            return false;
        }
        for (int u : *it) {
            const WinFs::FileStat &ust = usedStat(u);
            if (!ust.isFile || ust.hidden)
                return true;
            if (ust.id == lst.id)
                return true;
            if (compareWith(l, u))
                return true;
        }
    }
    // The same file under another name. Two names of one file need a link:
    // the inventory line is one, or the used file is one or has hard links.
    if (!m_idsReady)
        indexIds(nullptr);
    if (m_ids.isEmpty() || (!mayBeLink && !m_usedAliases))
        return false;
    const WinFs::FileStat lst = WinFs::statPath(l);
    if (!lst.isFile && !lst.isDir)
        return false;
    const auto ids = m_ids.constFind(lst.id.inode);
    return ids != m_ids.constEnd() && std::find(ids->begin(), ids->end(), lst.id) != ids->end();
}

bool Matcher::compareWith(const QString &l, int u)
{
    const Comparison c = m_compare(l, m_used[u]);
    if (c.result == Sameness::Identical)
        return true;
    if (c.result == Sameness::Unreadable) {
        if (onUnreadable)
            onUnreadable(c.unreadable);
        return true;
    }
    return false;
}

Matcher::NameGroup &Matcher::nameGroup(const QString &key, const std::vector<int> &members)
{
    auto it = m_groups.find(key);
    if (it != m_groups.end())
        return *it;
    NameGroup group;
    for (int u : members) {
        const WinFs::FileStat &ust = usedStat(u);
        if (!ust.isFile || ust.hidden) {
            group.anyMissing = true;
            break;
        }
        group.bySize[ust.size].all.push_back(u);
    }
    return *m_groups.insert(key, std::move(group));
}

bool Matcher::sameContents(const QString &l, const WinFs::FileStat &lst, NameGroup &group)
{
    // Take names repeat from folder to folder: most same-name files differ
    // in length, and most of the rest in their first bytes, each read once
    // per file rather than once per pair.
    const auto bit = group.bySize.find(lst.size);
    if (bit == group.bySize.end())
        return false;
    SizeBucket &bucket = *bit;
    if (bucket.all.size() == 1)
        return compareWith(l, bucket.all.front());
    if (!bucket.digested) {
        bucket.digested = true;
        for (int u : bucket.all) {
            if (const std::optional<quint64> d = headDigest(m_used[u]))
                bucket.byDigest[*d].push_back(u);
            else
                bucket.unreadable.push_back(u);
        }
    }
    const std::optional<quint64> dl = headDigest(l);
    if (!dl) {
        // Its first bytes cannot be read: the full comparison says so.
        for (int u : bucket.all)
            if (compareWith(l, u))
                return true;
        return false;
    }
    const auto dit = bucket.byDigest.constFind(*dl);
    if (dit != bucket.byDigest.constEnd())
        for (int u : *dit)
            if (compareWith(l, u))
                return true;
    for (int u : bucket.unreadable)
        if (compareWith(l, u))
            return true;
    return false;
}

std::optional<quint64> Matcher::headDigest(const QString &file)
{
    const auto it = m_digests.constFind(file);
    if (it != m_digests.constEnd())
        return *it;
    QFile f(WinFs::hostPath(file));
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt; // the full comparison reports it
    constexpr qint64 kHead = 64 * 1024;
    const QByteArray head = f.read(kHead);
    if (head.size() != std::min(kHead, f.size()))
        return std::nullopt;
    const quint64 digest = qHashBits(head.constData(), size_t(head.size()), 0x5eed);
    m_digests.insert(file, digest);
    return digest;
}

bool removeUsed(QStringList &inventory, Matcher &matcher, Progress &progress, const QSet<QString> *linkLines)
{
    matcher.prepare(progress);
    progress.setRange(0, inventory.size());
    QStringList kept;
    kept.reserve(inventory.size());
    for (qsizetype i = 0; i < inventory.size(); ++i) {
        const bool mayBeLink = !linkLines || linkLines->contains(inventory[i]);
        if (!matcher.matches(inventory[i], mayBeLink))
            kept << inventory[i];
        progress.setValue(i);
        progress.pump();
        if (progress.cancelled()) {
            // The lines not examined yet stay, as an interrupted match leaves them.
            for (qsizetype j = i + 1; j < inventory.size(); ++j)
                kept << inventory[j];
            inventory = kept;
            return false;
        }
    }
    inventory = kept;
    return true;
}

Offered recordFiles(const QStringList &lines, const QHash<QString, QByteArray> &hostFolders)
{
    Offered out;
    out.lines.reserve(lines.size());
    out.records.reserve(size_t(lines.size()));
    for (const QString &line : lines) {
        const qsizetype slash = line.lastIndexOf(u'\\');
        const auto folder = hostFolders.constFind(line.left(slash + 1));
        std::optional<FileRecord> record;
        if (slash > 1 && folder != hostFolders.constEnd()) {
            const QByteArray &host = folder.value();
            const QByteArray name = line.mid(slash + 1).toUtf8();
            record = FileRecord::take(line[0], host.endsWith('/') ? host + name : host + '/' + name);
        }
        if (!record) {
            ++out.leftOut;
            continue;
        }
        out.lines << line;
        out.records.push_back(*record);
    }
    return out;
}

int passedOverAudio(const QStringList &passedOver)
{
    QSet<QString> seen;
    for (const QString &p : passedOver) {
        if (isAudioEnding(p))
            seen.insert(p);
    }
    return int(seen.size());
}

QString passedOverNotice(int count)
{
    return QStringLiteral(" >>> AVISO <<<   Se han pasado por alto %1 archivos de audio cuyo nombre no puede "
                          "escribirse en Windows (no se ofrecen para borrar)")
        .arg(count);
}

UnusedList unusedAudio(const QStringList &remaining, const QSet<QString> &folderLines, Progress &progress)
{
    UnusedList out;
    progress.setRange(0, remaining.size());
    for (qsizetype i = 0; i < remaining.size(); ++i) {
        const QString &line = remaining[i];
        if (!isAudioEnding(line))
            continue;
        if (line.contains(kFreeze))
            continue;
        // A folder named like an audio file: deleting it would take every
        // file inside, used ones too.
        if (!folderLines.contains(line)) {
            out.lines << line;
            ++out.found;
        }
        if (progress.cancelled()) {
            out.cancelled = true;
            return out;
        }
        progress.setValue(i);
        progress.pump();
    }

    QSet<QString> seen;
    QStringList unique;
    unique.reserve(out.lines.size());
    for (const QString &line : std::as_const(out.lines)) {
        if (seen.contains(line)) {
            ++out.duplicates;
            out.lastDuplicate = line;
            continue;
        }
        seen.insert(line);
        unique << line;
    }
    out.lines = unique;
    progress.pump();
    out.cancelled = progress.cancelled();
    return out;
}

QString captionNone()
{
    return QStringLiteral("No se han encontrado archivos no utilizados");
}

QString captionFound(int found, int duplicates)
{
    return QStringLiteral("Archivos no utilizados: ") + QString::number(found) + QStringLiteral("     Duplicados: ")
        + QString::number(duplicates) + QStringLiteral("    Total: ") + QString::number(found - duplicates);
}

MissingList missingList(const QStringList &usedLines, const std::function<bool(const QString &)> &isMissing,
                        const std::function<bool()> &cancelled)
{
    static const QString kDashes(100, u'-');
    MissingList out;
    bool firstHeader = true;
    for (const QString &line : usedLines) {
        if (line.contains(u'>')) {
            if (!firstHeader)
                out.lines << kDashes;
            firstHeader = false;
            out.lines << line;
        } else if (!line.trimmed().isEmpty() && isMissing(line)) {
            out.lines << line;
            ++out.missing;
        }
        if (cancelled())
            break;
    }
    // Equal lines stand once, the first in list order; headers and dash
    // lines are never removed.
    QSet<QString> seen;
    QStringList unique;
    for (const QString &line : std::as_const(out.lines)) {
        if (line.contains(u'>') || line.contains(QStringLiteral("----------"))) {
            unique << line;
        } else if (!seen.contains(line)) {
            seen.insert(line);
            unique << line;
        }
    }
    out.lines = unique;
    return out;
}

QString missingSummary(int missing)
{
    return QStringLiteral("Encontrados: ") + QString::number(missing)
        + QStringLiteral(" archivos perdidos o desubicados en otras rutas");
}

QString missingLogName(const QString &shortDate)
{
    QString d = shortDate;
    d.replace(u'/', u'-');
    return QStringLiteral("Perdidos_") + d + QStringLiteral(".log");
}

QStringList missingLogLines(const QString &summary, const QString &date, const QString &time,
                            const QStringList &listLines)
{
    QStringList out;
    out << summary + QStringLiteral("  ") + date + QStringLiteral(" a las: ") + time;
    out << QString();
    out << listLines;
    return out;
}

QString joinPath(const QString &folder, const QString &name)
{
    if (folder.isEmpty() || folder.endsWith(u'\\'))
        return folder + name;
    return folder + u'\\' + name;
}

} // namespace Unused
