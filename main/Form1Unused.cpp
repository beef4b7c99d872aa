// The unused-files and missing-files searches of an analysis.

#include "main/Form1.h"

#include "main/Perdidos.h"
#include "main/Peers.h"
#include "main/ProjectItem.h"
#include "main/Unused.h"
#include "platform/EventPump.h"
#include "platform/WinFs.h"
#include "services/ListPieces.h"
#include "services/Module2.h"
#include "services/Module3Ui.h"
#include "services/ModuleArchivos.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

void Form1::setUnusedList(const QStringList &l, const std::vector<FileRecord> &records)
{
    setLines(ListBorrar, l);
    for (int i = 0; i < ListBorrar->count() && size_t(i) < records.size(); ++i)
        ListBorrar->item(i)->setData(kRecordRole, QVariant::fromValue(records[size_t(i)]));
    Peers::deletion().unusedListChanged();
}

void Form1::clearUnusedList()
{
    ListBorrar->clear();
    Peers::deletion().unusedListChanged();
}

std::vector<FileRecord> Form1::unusedRecords() const
{
    std::vector<FileRecord> out;
    out.reserve(size_t(ListBorrar->count()));
    for (int i = 0; i < ListBorrar->count(); ++i)
        out.push_back(ListBorrar->item(i)->data(kRecordRole).value<FileRecord>());
    return out;
}

void Form1::quitarBorrados(const QStringList &gone)
{
    if (gone.isEmpty())
        return;
    // A deletion of a million files hands a million names: they are taken
    // and their lines go in pieces with events between (the deletion that
    // calls this is still running, so nothing else touches the list).
    constexpr int kPiece = 4096;
    QSet<QString> set;
    set.reserve(gone.size());
    for (qsizetype k = 0; k < gone.size(); ++k) {
        set.insert(gone[k]);
        if (k % kPiece == kPiece - 1)
            EventPump::pumpEvents();
    }
    // Each run of lines that go together goes in one removal.
    PumpingProgress pumping;
    ListPieces::removeRows(ListBorrar, [&](int row) { return set.contains(ListBorrar->item(row)->text()); }, &pumping);
    int looked = 0;
    // And so are the names, once done with.
    for (auto it = set.begin(); it != set.end();) {
        it = set.erase(it);
        if (++looked % kPiece == 0)
            EventPump::pumpEvents();
    }
    // The caption counts the files still offered.
    LabelErase[1]->setText(QStringLiteral("Archivos no utilizados: ") + QString::number(ListBorrar->count()));
    if (ListBorrar->count() == 0)
        CommandBorrado->hide();
}

void Form1::LlenarListBorrar()
{
    const Activity::Token running(Activity::Kind::Analysis);
    m_usedNormalFiles.clear();
    // Whatever shows a copy of the list empties it now: the new analysis may
    // find some of its files used.
    clearUnusedList();
    ListarArchivosCarpetas();
    BuscarNoUtilizados();
    // A cancelled run matched against an incomplete used list, and so did a
    // run with a project that could not be read: offering the leftovers for
    // deletion could name files a project uses.
    otherProjects = 0;
    if (!cancelar && unreadableProjects.isEmpty() && ListBorrar->count() > 0)
        otherProjects = countOtherProjects();
    if (cancelar || !unreadableProjects.isEmpty()) {
        ListBorrar->clear();
        // The caption says why the list is empty; it never counts files
        // that are not listed.
        LabelErase[0]->hide();
        LabelErase[1]->setText(cancelar ? Unused::captionCancelled() : Unused::captionUnreadable());
        LabelErase[1]->show();
    }
    Module3::AjustarScrollHorizontal(ListBorrar, &barProgress());
    if (ListBorrar->count() > 0)
        CommandBorrado->show();
    Peers::deletion().unusedListChanged();
}

void Form1::ListarArchivosCarpetas()
{
    List1.clear();
    m_inventoryFolders.clear();
    m_inventoryLinks.clear();
    m_inventoryExtras = ModuleArchivos::Extras();
    const QStringList folders = Unused::projectFolders(lines(ListProyectos));
    for (const QString &folder : folders) {
        ModuleArchivos::BuscarArchivos(folder, Unused::patterns(), List1, &m_inventoryFolders, &m_inventoryLinks,
                                       &m_inventoryExtras, &barProgress());
        // Many project folders make a long listing: the window stays
        // responsive between two of them.
        barProgress().pump();
    }
}

int Form1::countOtherProjects()
{
    // Only listed projects count for the unused files; those the run did
    // not list, but an analysis of their folder would, are counted here.
    QSet<QString> listed;
    for (const QString &item : lines(ListProyectos))
        listed.insert(ProjectItem::path(item));
    int n = 0;
    for (const QString &p : m_inventoryExtras.projects) {
        if (listed.contains(p) || refusedProjects.contains(p) || unreadableProjects.contains(p)
            || p.contains(QStringLiteral("FreezeData"))
            || (!CheckBAK->isChecked() && p.contains(QStringLiteral("_BAK"))))
            continue;
        // Only a project the project test accepts would be analysed with
        // its folder (a MIDI project would not); one that cannot be read, or
        // that lost its end, may use these files all the same (the match is
        // over: its takes were not kept).
        if (!Buscar::Valido(p, dec, barProgress()) && !dec.readError && dec.damaged.isEmpty())
            continue;
        ++n;
    }
    return n;
}

void Form1::BuscarNoUtilizados()
{
    QStringList used = readList(ListUtilizados);
    if (used.isEmpty())
        return;
    Alerta(2, QStringLiteral("Buscando archivos no utilizados "), true);

    // The audio paths of damaged projects and the names the projects spell
    // in full count as used, unlisted.
    Unused::Matcher matcher(damagedPaths.isEmpty() && fullNames.isEmpty() ? used : used + damagedPaths + fullNames);
    matcher.onUnreadable = [this](const QString &file) {
        Alerta(3, QStringLiteral(" >>> AVISO <<<   No se puede leer el archivo (se conserva): ") + file, true);
    };
    Unused::removeUsed(List1, matcher, barProgress(), &m_inventoryLinks);
    m_usedNormalFiles = matcher.normalFiles(&barProgress());
    answeringTogether = matcher.keptAnsweringTogether();
    matcher.release(barProgress());
    releaseInPieces(used, barProgress());

    Unused::UnusedList unused = Unused::unusedAudio(List1, m_inventoryFolders, barProgress());
    TotalNoUtilizados = unused.found;
    if (unused.duplicates > 0)
        Alerta(1, QStringLiteral("Eliminando duplicado: ") + unused.lastDuplicate, true);
    // Each line with the exact file it names: the deletion acts on that file
    // or on none. A piece at a time: the records of a million lines at once
    // take long to let go of.
    constexpr qsizetype kPiece = 4096;
    ListBorrar->setUpdatesEnabled(false);
    ListBorrar->clear();
    for (qsizetype from = 0; from < unused.lines.size(); from += kPiece) {
        const Unused::Offered part =
            Unused::recordFiles(unused.lines.mid(from, kPiece), m_inventoryExtras.hostFolders, barProgress());
        const int first = ListBorrar->count();
        ListBorrar->addItems(part.lines);
        for (int i = 0; i < part.lines.size(); ++i)
            ListBorrar->item(first + i)->setData(kRecordRole, QVariant::fromValue(part.records[size_t(i)]));
        barProgress().pump();
    }
    ListBorrar->setUpdatesEnabled(true);
    releaseInPieces(unused.lines, barProgress());
    passedOverAudio = Unused::passedOverAudio(m_inventoryExtras.passedOver);
    if (passedOverAudio > 0)
        Alerta(3, Unused::passedOverNotice(passedOverAudio), true);

    LabelErase[0]->hide();
    if (TotalNoUtilizados > 0) {
        LabelErase[1]->setText(Unused::captionFound(unused.found, unused.duplicates));
        LabelErase[1]->show();
    } else {
        LabelErase[0]->setText(Unused::captionNone());
        LabelErase[1]->setText(QStringLiteral("Archivos no utilizados: 0"));
        LabelErase[1]->hide();
        LabelErase[0]->show();
    }
}

void Form1::BuscarPerdidos()
{
    Perdidos &window = perdidos();
    window.ListPerdidos->clear();
    // The used files the match looked at are not looked at again.
    const WinFs::AnalysisLooks lookups(barProgress());
    const Unused::MissingList missing = Unused::missingList(
        readList(ListUtilizados),
        [this](const QString &path) {
            const auto seen = m_usedNormalFiles.constFind(path);
            return seen != m_usedNormalFiles.constEnd() ? !*seen : !WinFs::findNormalFile(path);
        },
        [this] {
            barProgress().pump();
            return cancelar;
        });
    // Taken once: a later search looks at the files again.
    releaseHashInPieces(m_usedNormalFiles, barProgress());
    fillList(window.ListPerdidos, missing.lines, true);
    Module2::TablaPerdidos = missing.lines;
    window.TextEncontrados->setText(Unused::missingSummary(missing.missing));
    if (window.ListPerdidos->count() > 1)
        cmdPerdidos->show();
}

void Form1::cmdPerdidos_Click()
{
    if (Activity::EstaBorrando())
        return;
    Perdidos &window = perdidos();
    if (window.isMinimized())
        window.showNormal();
    if (window.isVisible()) {
        window.hide();
        window.savePosition();
        return;
    }
    window.ListPerdidos->hide();
    setLines(window.ListPerdidos, Module2::TablaPerdidos);
    // Placed before it is shown, so the window manager frames it there.
    window.restorePosition();
    window.ListPerdidos->show();
    window.show();
}
