#include "main/Analysis.h"

#include "main/Decoder.h"
#include "main/ProjectItem.h"
#include "main/UsedList.h"
#include "platform/EventPump.h"
#include "platform/WinFs.h"
#include "platform/WinPattern.h"
#include "services/BuscarPaths.h"
#include "services/FindFiles.h"
#include "services/ModuleArchivos.h"

#include <atomic>

namespace {

std::atomic<quint64> g_lastNumber{0};

quint64 nextNumber()
{
    return ++g_lastNumber;
}

const QString kBak = QStringLiteral("_BAK");

// One analysis as it is built: the decoder's state of the last project read
// and the value so far.
class Builder
{
public:
    Builder(const AnalysisRequest &request, Progress &progress, AnalysisSteps &steps)
        : m_request(request), m_progress(progress), m_steps(steps), m_value(std::make_shared<Analysis>())
    {
        m_value->number = nextNumber();
        m_value->road = request.road;
    }

    std::shared_ptr<const Analysis> run();
    // Every usable project under `folder` into `found`, in pre-order.
    bool BuscarVips(const QString &folder, QStringList &found);

private:
    bool cancelled() const { return m_progress.cancelled(); }
    // The project test, noting a project found damaged.
    bool valido(const QString &project);
    void noteDamaged(const QString &project);
    bool chosenProject();
    void droppedPaths();
    void listProjects(const QStringList &paths);
    void DescodificarProyectos();
    void BuscarNoUtilizados();
    int countOtherProjects(const ModuleArchivos::Inventory &inventory);
    void BuscarPerdidos();

    const AnalysisRequest &m_request;
    Progress &m_progress;
    AnalysisSteps &m_steps;
    std::shared_ptr<Analysis> m_value;
    Analysis &a() { return *m_value; }
    Decoder::State m_dec;
    // Whether each used line names a normal file, as the match looked at it
    // (by the line's index; -1 not looked at).
    std::vector<signed char> m_looks;
};

bool Builder::valido(const QString &project)
{
    const bool valid = Buscar::Valido(project, m_dec, m_progress);
    noteDamaged(project);
    return valid;
}

void Builder::noteDamaged(const QString &project)
{
    if (m_dec.damaged.isEmpty() || a().damagedProjects.contains(project))
        return;
    a().damagedProjects << project;
    a().damagedPaths << m_dec.damaged;
}

std::shared_ptr<const Analysis> Builder::run()
{
    WinFs::clearCache();
    if (m_request.road == Analysis::Road::Project) {
        if (!chosenProject())
            return m_value;
    } else {
        droppedPaths();
        if (a().noProjects)
            return m_value;
    }
    DescodificarProyectos();
    BuscarNoUtilizados();
    BuscarPerdidos();
    return m_value;
}

bool Builder::chosenProject()
{
    const QString chosen = m_request.paths.value(0);
    if (!valido(chosen)) {
        // A file the dialog showed but that cannot be found by its name (a
        // name that is not UTF-8 shows altered) cannot be read either.
        a().refusal = m_dec.readError || !WinFs::findNormalFile(chosen) ? Analysis::Refusal::Unreadable
                                                                         : Analysis::Refusal::NoAudio;
        return false;
    }
    a().chosen = chosen;
    a().chosen.remove(QChar(0));
    const qsizetype slash = a().chosen.lastIndexOf(u'\\');
    a().folder = slash < 0 ? QString() : a().chosen.left(slash + 1);
    a().chosenName = Buscar::Obtener_VipPath(a().chosen);
    m_steps.projectAccepted(a());

    const QString &nombre = a().chosenName;
    QString backup = nombre;
    backup.replace(QStringLiteral(".VIP"), QStringLiteral("_BAK.VIP"));
    // The projects of the folder, as the file system lists them.
    QStringList candidates;
    for (const WinFs::Entry &e : WinFs::listHostDir(WinFs::hostPath(a().folder))) {
        if (e.isDir || e.name.startsWith(u'.') || !WinPattern::matches(QStringLiteral("*.vip"), e.name))
            continue;
        candidates << a().folder + e.name;
        m_progress.pump();
    }
    QStringList projects;
    for (const QString &line : std::as_const(candidates)) {
        if (valido(line)) {
            const bool take = m_request.includeBak ? (line.contains(backup) || line.contains(nombre))
                                                   : (!line.contains(kBak) && line == nombre);
            if (take)
                projects << line;
        } else {
            a().refusedProjects.insert(line);
        }
        m_progress.pump();
    }
    listProjects(projects);
    return true;
}

void Builder::droppedPaths()
{
    // The projects of every path, each once, in the order given; the folder
    // shown is that of the last path that holds one.
    QStringList projects;
    QSet<QString> listed;
    const auto take = [&](const QString &project) {
        if (!listed.contains(project)) {
            listed.insert(project);
            projects << project;
        }
    };
    QString shownFolder;
    for (const QString &ruta : m_request.paths) {
        const WinFs::FileStat st = WinFs::statPath(ruta);
        const bool isFile = st.isFile && !st.hidden;
        if (isFile && ruta.right(4).toLower() == QStringLiteral(".vip")) {
            if (valido(ruta)) {
                take(ruta);
                shownFolder = Buscar::Obtener_Nombre_Path(ruta, false);
            } else if (m_dec.readError) {
                a().unreadableProjects << ruta;
            }
        } else {
            QStringList found;
            if (!isFile && BuscarVips(ruta, found)) {
                for (const QString &project : std::as_const(found))
                    take(project);
                shownFolder = ruta;
            }
        }
        if (cancelled())
            break;
    }
    if (projects.isEmpty() || cancelled()) {
        a().noProjects = true;
        return;
    }
    a().folder = shownFolder;
    QStringList kept;
    for (const QString &line : std::as_const(projects)) {
        if (m_request.includeBak || !line.contains(kBak))
            kept << line;
        if (cancelled())
            break;
    }
    listProjects(kept);
}

bool Builder::BuscarVips(const QString &carpeta, QStringList &found)
{
    // A new finder for each search, walking sub-folders.
    cFindFiles cFind;
    cFind.setSearchSubDirs(true);
    QStringList List2;
    QObject::connect(&cFind, &cFindFiles::InitSearch, [this] { m_steps.searching(true); });
    QStringList nameless;
    QObject::connect(&cFind, &cFindFiles::EndSearch, [&] {
        for (const QString &path : cFind.ColFiles()) {
            List2 << path;
            if (cancelled())
                break;
        }
        nameless = cFind.PassedOver();
    });

    // A dropped drive root "D:\" is searched as "D:".
    QString folder = carpeta;
    if (folder.endsWith(u'\\'))
        folder.chop(1);
    cFind.Find(folder, QStringLiteral("*.vip"), QString(), 1);
    m_steps.searching(false);
    // A project whose name no Windows path can hold cannot be read: like an
    // unreadable one, it is named, and the files only it uses must not look
    // unused.
    for (const QString &p : std::as_const(nameless))
        a().unreadableProjects << p;
    bool any = false;
    for (const QString &line : std::as_const(List2)) {
        if (valido(line)) {
            found << line;
            any = true;
        } else if (m_dec.readError) {
            // Refused like any project without audio, but the user is told:
            // the files only it uses would look unused.
            a().unreadableProjects << line;
        } else {
            a().refusedProjects.insert(line);
        }
        if (cancelled())
            break;
    }
    return any;
}

void Builder::listProjects(const QStringList &paths)
{
    a().projects.reserve(size_t(paths.size()));
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const QString item = ProjectItem::make(i + 1, paths[i]);
        a().projects.push_back({paths[i], item, UsedList::headerLine(item)});
    }
    if (a().road == Analysis::Road::Paths && a().folder.isEmpty() && !a().projects.empty())
        a().folder = Buscar::Obtener_Nombre_Path(a().projects.front().item, false);
    m_steps.projectsListed(a());
}

void Builder::DescodificarProyectos()
{
    m_dec.NumArchivos = 0;
    m_progress.setRange(0, qint64(a().projects.size()));
    QStringList used;
    bool stopped = false;
    for (size_t i = 0; i < a().projects.size(); ++i) {
        const Analysis::Project &project = a().projects[i];
        if (m_request.includeBak || !project.item.contains(kBak)) {
            m_steps.status(1, QStringLiteral("Descodificando: ") + project.item);
            if (Decoder::ExtraerNombres_Archivos(project.path, &used, project.header, true, m_dec, m_progress))
                ++a().projectsWithAudio;
            noteDamaged(project.path);
            a().fullNames << m_dec.fullNames;
            // A project cut short while it was read may have named more.
            if (m_dec.readError && !a().unreadableProjects.contains(project.path))
                a().unreadableProjects << project.path;
        }
        m_progress.setValue(qint64(i));
        m_progress.pump();
        if (cancelled()) {
            stopped = true;
            break;
        }
    }
    if (!stopped) {
        m_progress.setRange(0, used.size());
        QString lastRemoved;
        a().usedDuplicates = UsedList::removeDuplicates(used, [&](const QString &l) { lastRemoved = l; }, &m_progress);
        if (a().usedDuplicates > 0)
            m_steps.status(1, QStringLiteral("Eliminando duplicado: ") + lastRemoved);
        m_progress.pump();
        used = UsedList::spaced(used);
    }
    a().used = std::move(used);
    a().usedAppended = m_dec.NumArchivos;
    m_steps.usedListed(a());
}

void Builder::BuscarNoUtilizados()
{
    ModuleArchivos::Inventory inventory;
    for (const QString &folder : Unused::projectFolders(a().projectItems())) {
        ModuleArchivos::BuscarArchivos(folder, Unused::patterns(), inventory, &m_progress);
        // Many project folders make a long listing: the window stays
        // responsive between two of them.
        m_progress.pump();
    }
    if (!a().used.isEmpty()) {
        a().unusedSearched = true;
        m_steps.status(2, QStringLiteral("Buscando archivos no utilizados "));
        // The audio paths of damaged projects and the names the projects
        // spell in full count as used, unlisted.
        const bool extra = !a().damagedPaths.isEmpty() || !a().fullNames.isEmpty();
        Unused::Matcher matcher(extra ? a().used + a().damagedPaths + a().fullNames : a().used);
        matcher.onUnreadable = [this](const QString &file) {
            m_steps.status(3, QStringLiteral(" >>> AVISO <<<   No se puede leer el archivo (se conserva): ") + file);
        };
        Unused::removeUsed(inventory.entries, matcher, m_progress);
        m_looks = matcher.looks(&m_progress);
        a().answeringTogether = matcher.keptAnsweringTogether();
        matcher.release(m_progress);

        Unused::UnusedEntries unused = Unused::unusedAudio(inventory.entries, m_progress);
        releaseInPieces(inventory.entries, m_progress);
        a().unusedFound = unused.found;
        a().unusedDuplicates = unused.duplicates;
        if (unused.duplicates > 0)
            m_steps.status(1, QStringLiteral("Eliminando duplicado: ") + unused.lastDuplicate);
        // Each line with the exact file it names: the deletion acts on that
        // file or on none.
        a().unused = Unused::recordFiles(unused.lines, m_progress);
        releaseInPieces(unused.lines, m_progress);
        a().passedOverAudio = Unused::passedOverAudio(inventory.passedOver);
        if (a().passedOverAudio > 0)
            m_steps.status(3, Unused::passedOverNotice(a().passedOverAudio));
    }
    // A cancelled run matched against an incomplete used list, and so did a
    // run with a project that could not be read: offering the leftovers for
    // deletion could name files a project uses.
    if (!cancelled() && a().unreadableProjects.isEmpty() && !a().unused.empty())
        a().otherProjects = countOtherProjects(inventory);
    if (cancelled() || !a().unreadableProjects.isEmpty()) {
        a().withheld = cancelled() ? Analysis::Withheld::Cancelled : Analysis::Withheld::Unreadable;
        releaseInPieces(a().unused, m_progress);
    }
    m_steps.unusedListed(a());
}

int Builder::countOtherProjects(const ModuleArchivos::Inventory &inventory)
{
    // Only listed projects count for the unused files; those the run did
    // not list, but an analysis of their folder would, are counted here.
    QSet<QString> listed;
    for (const Analysis::Project &project : a().projects)
        listed.insert(project.path);
    int n = 0;
    for (const QString &p : inventory.projects) {
        if (listed.contains(p) || a().refusedProjects.contains(p) || a().unreadableProjects.contains(p)
            || p.contains(QStringLiteral("FreezeData")) || (!m_request.includeBak && p.contains(kBak)))
            continue;
        // Only a project the project test accepts would be analysed with
        // its folder (a MIDI project would not); one that cannot be read, or
        // that lost its end, may use these files all the same (the match is
        // over: its takes were not kept).
        if (!Buscar::Valido(p, m_dec, m_progress) && !m_dec.readError && m_dec.damaged.isEmpty())
            continue;
        ++n;
    }
    return n;
}

void Builder::BuscarPerdidos()
{
    // The used files the match looked at are not looked at again.
    const WinFs::AnalysisLooks lookups(m_progress);
    const Unused::MissingList missing = Unused::missingList(
        a().used,
        [this](qsizetype i, const QString &path) {
            const signed char seen = size_t(i) < m_looks.size() ? m_looks[size_t(i)] : -1;
            return seen >= 0 ? seen == 0 : !WinFs::findNormalFile(path);
        },
        [this] {
            m_progress.pump();
            return cancelled();
        });
    // Taken once: a later search looks at the files again.
    releaseInPieces(m_looks, m_progress);
    a().missing = missing.lines;
    a().missingCount = missing.missing;
    m_steps.missingListed(a());
}

} // namespace

QStringList Analysis::projectItems() const
{
    QStringList out;
    out.reserve(qsizetype(projects.size()));
    for (const Project &p : projects)
        out << p.item;
    return out;
}

QString Analysis::summary() const
{
    QString notice = passedOverAudio > 0 ? Unused::passedOverNotice(passedOverAudio) : QString();
    const auto add = [&notice](const QString &text) {
        notice += (notice.isEmpty() ? QString() : QStringLiteral("\r\n")) + text;
    };
    if (answeringTogether > 0)
        add(Unused::answeringTogetherNotice(answeringTogether));
    if (otherProjects > 0)
        add(Unused::otherProjectsNotice(otherProjects));
    for (const QString &p : damagedProjects)
        add(QStringLiteral(" >>> AVISO <<<   El proyecto ") + p
            + QStringLiteral(" parece dañado (le falta el final): sus archivos de audio se conservan."));
    if (unreadableProjects.isEmpty())
        return notice;
    QString text = QStringLiteral(" >>> AVISO <<<   No se han podido leer %1 proyectos; sin ellos la lista de "
                                  "no utilizados no es fiable y no se ofrece ningún archivo para borrar:")
                       .arg(unreadableProjects.size());
    for (const QString &p : unreadableProjects)
        text += QStringLiteral("\r\n") + p;
    return notice.isEmpty() ? text : text + QStringLiteral("\r\n") + notice;
}

std::shared_ptr<const Analysis> emptyAnalysis()
{
    auto a = std::make_shared<Analysis>();
    a->number = nextNumber();
    return a;
}

void AnalysisSteps::status(int, const QString &) {}
void AnalysisSteps::searching(bool) {}
void AnalysisSteps::projectAccepted(const Analysis &) {}
void AnalysisSteps::projectsListed(const Analysis &) {}
void AnalysisSteps::usedListed(const Analysis &) {}
void AnalysisSteps::unusedListed(const Analysis &) {}
void AnalysisSteps::missingListed(const Analysis &) {}

std::shared_ptr<const Analysis> analyse(const AnalysisRequest &request, Progress &progress, AnalysisSteps &steps)
{
    return Builder(request, progress, steps).run();
}

QStringList searchProjects(const QString &folder, Progress &progress)
{
    const AnalysisRequest request;
    AnalysisSteps none;
    QStringList found;
    Builder(request, progress, none).BuscarVips(folder, found);
    return found;
}

void releaseAnalysis(std::shared_ptr<const Analysis> &analysis, Progress &progress)
{
    if (analysis && analysis.use_count() == 1) {
        // Nothing else holds it: made as a non-const value, it may be let go
        // of in pieces.
        auto &a = const_cast<Analysis &>(*analysis);
        releaseInPieces(a.unused, progress);
        releaseInPieces(a.used, progress);
        releaseInPieces(a.missing, progress);
        releaseInPieces(a.projects, progress);
    }
    analysis.reset();
}
