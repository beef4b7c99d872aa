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

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

void Form1::mostrarAnalisis(std::shared_ptr<const Analysis> a)
{
    std::shared_ptr<const Analysis> before = std::move(m_analysis);
    m_analysis = std::move(a);
    m_unusedGone.assign(m_analysis->unused.size(), false);
    Peers::deletion().unusedListChanged(m_analysis, m_unusedGone, analysisRunning() ? &barProgress() : nullptr);
    // Inside a run, a long list goes in pieces (the run's guards keep it
    // to the run); otherwise at once, as the lists are emptied then.
    if (analysisRunning()) {
        releaseAnalysis(before, barProgress());
    } else {
        NoProgress none;
        releaseAnalysis(before, none);
    }
}

void Form1::setUnusedList(const QStringList &l, const std::vector<FileRecord> &records)
{
    auto a = std::make_shared<Analysis>(*emptyAnalysis());
    for (qsizetype i = 0; i < l.size(); ++i)
        a->unused.push_back({l[i], size_t(i) < records.size() ? records[size_t(i)] : FileRecord()});
    mostrarAnalisis(a);
    fillUnusedList();
}

void Form1::fillUnusedList()
{
    QStringList shown;
    m_unusedRows.clear();
    for (size_t i = 0; i < m_analysis->unused.size(); ++i) {
        if (!m_unusedGone[i]) {
            shown << m_analysis->unused[i].line;
            m_unusedRows.push_back(qsizetype(i));
        }
    }
    ListPieces::fill(ListBorrar, shown, analysisRunning() ? &barProgress() : nullptr);
}

void Form1::quitarBorrados(quint64 number, const std::vector<qsizetype> &gone)
{
    if (gone.empty() || number != m_analysis->number)
        return;
    for (qsizetype entry : gone) {
        if (entry >= 0 && size_t(entry) < m_unusedGone.size())
            m_unusedGone[size_t(entry)] = true;
    }
    // The deletion that calls this is still running, so nothing else
    // touches the list while its lines go in pieces.
    PumpingProgress pumping;
    ListPieces::removeRows(
        ListBorrar, [this](int row) { return bool(m_unusedGone[size_t(m_unusedRows[size_t(row)])]); }, &pumping);
    std::erase_if(m_unusedRows, [this](qsizetype entry) { return bool(m_unusedGone[size_t(entry)]); });
    // The caption counts the files still offered.
    LabelErase[1]->setText(QStringLiteral("Archivos no utilizados: ") + QString::number(ListBorrar->count()));
    if (ListBorrar->count() == 0)
        CommandBorrado->hide();
    Peers::deletion().unusedListChanged(m_analysis, m_unusedGone, nullptr);
}

void Form1::LlenarListBorrar(const Analysis &a)
{
    const Activity::Token running(Activity::Kind::Analysis);
    QStringList lines;
    lines.reserve(qsizetype(a.unused.size()));
    for (size_t i = 0; i < a.unused.size(); ++i) {
        lines << a.unused[i].line;
        if ((i & 4095) == 4095)
            barProgress().pump();
    }
    ListPieces::fill(ListBorrar, lines, &barProgress());
    m_unusedRows.resize(a.unused.size());
    for (size_t i = 0; i < m_unusedRows.size(); ++i)
        m_unusedRows[i] = qsizetype(i);
    if (a.unusedSearched) {
        LabelErase[0]->hide();
        if (a.unusedFound > 0) {
            LabelErase[1]->setText(Unused::captionFound(a.unusedFound, a.unusedDuplicates));
            LabelErase[1]->show();
        } else {
            LabelErase[0]->setText(Unused::captionNone());
            LabelErase[1]->setText(QStringLiteral("Archivos no utilizados: 0"));
            LabelErase[1]->hide();
            LabelErase[0]->show();
        }
    }
    if (a.withheld != Analysis::Withheld::No) {
        // The caption says why the list is empty; it never counts files
        // that are not listed.
        LabelErase[0]->hide();
        LabelErase[1]->setText(a.withheld == Analysis::Withheld::Cancelled ? Unused::captionCancelled()
                                                                           : Unused::captionUnreadable());
        LabelErase[1]->show();
    }
    Module3::AjustarScrollHorizontal(ListBorrar, lines, &barProgress());
    releaseInPieces(lines, barProgress());
    if (ListBorrar->count() > 0)
        CommandBorrado->show();
    if (a.road == Analysis::Road::Project) {
        TextDecode->hide();
        XP_ProgressBar1->hide();
        LabelAviso->hide();
        DragVip.clear();
        cancelar = false;
        cmdCancelar->hide();
        SalvaListados->setVisible(true);
    }
    perdidos().ListPerdidos->clear();
}

void Form1::BuscarPerdidos(const Analysis &a)
{
    Perdidos &window = perdidos();
    fillList(window.ListPerdidos, a.missing, true);
    Module2::TablaPerdidos = a.missing;
    window.TextEncontrados->setText(Unused::missingSummary(a.missingCount));
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
