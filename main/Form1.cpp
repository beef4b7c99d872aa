#include "main/Form1.h"

#include "main/FolderListWindows.h"
#include "main/Peers.h"
#include "main/ProjectItem.h"
#include "main/UsedList.h"
#include "platform/EventPump.h"
#include "platform/Twips.h"
#include "platform/WinFs.h"
#include "platform/WinPattern.h"
#include "services/BuscarIcon.h"
#include "services/BuscarPaths.h"
#include "services/Class1.h"
#include "services/Dialogo.h"
#include "services/ListPieces.h"
#include "services/DropLater.h"
#include "services/Module2.h"
#include "services/Module3Ui.h"
#include "services/WinColor.h"
#include "services/WindowPlace.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QDropEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QProgressBar>
#include <QScrollBar>
#include <QPushButton>
#include <QTimer>

#include <climits>

// The progress bar, the cancel flag and the event pump as the decoder and the
// analysis loops see them. Bar updates are applied only when the event loop
// is about to run: a synchronous repaint per item would cost more than the
// work itself.
class Form1::BarProgress final : public Progress
{
public:
    explicit BarProgress(Form1 &f) : m_form(f) {}

    void setRange(qint64 minimum, qint64 maximum) override
    {
        m_scale = 1;
        while (maximum / m_scale > INT_MAX / 2)
            m_scale *= 2;
        m_form.XP_ProgressBar1->setRange(int(minimum / m_scale), int(std::max(minimum, maximum) / m_scale));
        m_value = minimum;
    }
    void setValue(qint64 value) override { m_value = value; }
    bool cancelled() const override { return m_form.cancelar; }
    void pump() override
    {
        // The bar is drawn when events run, no more often.
        if (!EventPump::isDue(10))
            return;
        const int v = int(m_value / m_scale);
        if (v >= m_form.XP_ProgressBar1->minimum() && v <= m_form.XP_ProgressBar1->maximum()
            && v != m_form.XP_ProgressBar1->value())
            m_form.XP_ProgressBar1->setValue(v);
        EventPump::pumpEvents();
    }

private:
    Form1 &m_form;
    qint64 m_scale = 1;
    qint64 m_value = 0;
};

// The steps of an analysis, shown as they come.
class Form1::Steps final : public AnalysisSteps
{
public:
    explicit Steps(Form1 &f) : m_form(f) {}
    void status(int colour, const QString &text) override { m_form.Alerta(colour, text, true); }
    void searching(bool started) override
    {
        if (started)
            m_form.setCursor(Qt::WaitCursor);
        else
            m_form.unsetCursor();
    }
    void projectAccepted(const Analysis &a) override { m_form.mostrarProyectoElegido(a); }
    void projectsListed(const Analysis &a) override
    {
        if (a.road == Analysis::Road::Project)
            m_form.mostrarProyectosElegidos(a);
        else
            m_form.BuscarProyectosCarpeta(a);
    }
    void usedListed(const Analysis &a) override { m_form.LlenarListUtilizados(a); }
    void unusedListed(const Analysis &a) override { m_form.LlenarListBorrar(a); }
    void missingListed(const Analysis &a) override { m_form.BuscarPerdidos(a); }

private:
    Form1 &m_form;
};

Form1::Form1()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Velmar"));
    m_progress = std::make_unique<BarProgress>(*this);
    m_analysis = emptyAnalysis();
    buildControls();
    Peers::setMainWindow(this);
    // The dialogs start in the folder of the project shown, when they have
    // none of their own yet.
    Dialogo::setProjectFolder([this] {
        const QListWidgetItem *item = ListProyectos->currentItem();
        if (!item && ListProyectos->count() > 0)
            item = ListProyectos->item(0);
        return item ? Buscar::Obtener_Nombre_Path(ProjectItem::path(item->text()), false) : QString();
    });
}

Form1::~Form1()
{
    if (Peers::mainWindow() == this)
        Peers::setMainWindow(nullptr);
    Dialogo::setProjectFolder({});
    WindowPlace::setMainWindow(nullptr, {});
    SingleWindow<Form1>::release(this);
}

Progress &Form1::barProgress()
{
    return *m_progress;
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_framed && (event->type() == QEvent::Move || event->type() == QEvent::Resize)
        && !Shape1->isHidden())
        frameList(m_framed);
    if (event->type() == QEvent::MouseMove && watched->isWidgetType()
        && frontOnMouse().contains(static_cast<QWidget *>(watched)))
        toFront();
    for (QListWidget *l : {ListVip, ListUtilizados, ListBorrar})
        if (watched == l || watched == l->viewport())
            if (resultListEvent(l, watched, event))
                return true;
    // (The notice is made after the captions, which are filtered already.)
    if (watched == ListProyectos->viewport() || (ListProyectosInfo && watched == ListProyectosInfo->viewport())) {
        switch (event->type()) {
        case QEvent::MouseMove:
            ListProyectos_MouseMove(static_cast<QMouseEvent *>(event)->position().toPoint());
            break;
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto *e = static_cast<QDropEvent *>(event);
            // While a run is on, the pointer says the drop will not be taken.
            if (!Activity::mayStart(Activity::Request::ListCommand)) {
                e->ignore();
                return true;
            }
            e->setDropAction(Qt::CopyAction);
            e->accept();
            return true;
        }
        case QEvent::Drop: {
            takeDropAfterDrag(static_cast<QDropEvent *>(event), this,
                              [this](const QMimeData *data) { ListProyectos_OLEDragDrop(data); });
            return true;
        }
        default:
            break;
        }
    }
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == TextDecode->viewport()) {
            TextDecode->hide();
            return true;
        }
        for (const auto *pair : {&LabelCheck, &LabelCount, &LabelAdd, &LabelErase})
            for (QLabel *l : *pair)
                if (watched == l) {
                    MostrarRuta(l->text());
                    return true;
                }
    }
    if (event->type() == QEvent::MouseMove && watched == ListPath)
        Module3::AjustarScrollHorizontal(ListPath);
    return QMainWindow::eventFilter(watched, event);
}

QStringList Form1::lines(const QListWidget *list)
{
    QStringList out;
    out.reserve(list->count());
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

void Form1::setLines(QListWidget *list, const QStringList &l)
{
    list->setUpdatesEnabled(false);
    list->clear();
    list->addItems(l);
    list->setUpdatesEnabled(true);
}

int Form1::projectCount() const
{
    return ListProyectos->count();
}

QString Form1::projectLine(int row) const
{
    return ListProyectos->item(row)->text();
}

void Form1::hideListPath()
{
    ListPath->hide();
}

void Form1::showInListPath(const QStringList &l)
{
    setLines(ListPath, l);
    ListPath->show();
}

void Form1::fillList(QListWidget *list, const QStringList &l, bool fit)
{
    ListPieces::fill(list, l, m_progress.get());
    if (fit)
        Module3::AjustarScrollHorizontal(list, l, m_progress.get());
}

void Form1::emptyList(QListWidget *list)
{
    ListPieces::empty(list, m_progress.get());
}

QString Form1::getPath(const QString &sPath, const QString &Caracter)
{
    if (sPath.isEmpty() || Caracter.isEmpty())
        return {};
    const qsizetype at = sPath.lastIndexOf(Caracter);
    if (at < 0)
        return {};
    return sPath.left(at + Caracter.size());
}

bool Form1::ExtraerNombres_Archivos(const QString &f, QStringList *list, const QString &titulo, bool test)
{
    return Decoder::ExtraerNombres_Archivos(f, list, titulo, test, dec, *m_progress);
}

QString Form1::LeerCabecera(const QString &f)
{
    return Decoder::LeerCabecera(f, dec, *m_progress);
}

void Form1::Inicio()
{
    cmdReset_Click();
}

void Form1::AbrirFichero_Click()
{
    if (!mayStart(Activity::Request::Analysis))
        return;
    TextDecode->hide();
    LabelIndice->hide();
    Peers::player().unloadFormMedia();

    const QString chosen = Dialogo::AbrirArchivo(this, QStringLiteral("Proyectos (*.vip)|*.vip"),
                                                 QStringLiteral("Selecciona un archivo VIP"), QString());
    // The listings menu follows the lists: a cancelled dialog leaves the last
    // analysis's lists, and so the menu, as they were.
    if (chosen.isEmpty())
        return;
    SalvaListados->setVisible(false);
    // The dialog let events run: a run may have started meanwhile.
    if (!mayStart(Activity::Request::Analysis))
        return;
    {
        // The lists of an earlier analysis go first, a piece at a time (a
        // list of a hundred thousand lines takes a while to empty).
        const Activity::Token emptying(Activity::Kind::Analysis);
        m_progress->pump();
        for (QListWidget *l : {ListVip, ListUtilizados, ListBorrar, ListProyectos})
            emptyList(l);
        mostrarAnalisis(emptyAnalysis());
    }
    if (!mayStart(Activity::Request::Analysis))
        return;

    cmdReset_Click();
    const Activity::Token running(Activity::Kind::Analysis);
    // Each project file is read once in this analysis.
    Decoder::CacheScope projectsOnce;
    // A cancel left over from an earlier run must not make this project
    // look empty.
    cancelar = false;
    const std::shared_ptr<const Analysis> a = analizar(Analysis::Road::Project, {chosen});
    if (a->refusal != Analysis::Refusal::None) {
        if (a->refusal == Analysis::Refusal::Unreadable)
            Alerta(3, QStringLiteral(" >>> AVISO <<<   No se puede leer el proyecto: ") + chosen, true);
        else if (!a->damagedProjects.isEmpty())
            Alerta(3, QStringLiteral(" >>> AVISO <<<   Este proyecto no tiene archivos de audio\r\n") + a->summary(),
                   true);
        else
            Alerta(3, QStringLiteral(" >>> AVISO <<<   Este proyecto no tiene archivos de audio"), true);
        return;
    }
    cmdReset->show();
    Decoding = false;
    avisoFinal(*a);
}

std::shared_ptr<const Analysis> Form1::analizar(Analysis::Road road, const QStringList &paths)
{
    AnalysisRequest request;
    request.road = road;
    request.paths = paths;
    request.includeBak = CheckBAK->isChecked();
    Steps steps(*this);
    std::shared_ptr<const Analysis> a = analyse(request, barProgress(), steps);
    if (a->refusal == Analysis::Refusal::None && !a->noProjects)
        mostrarAnalisis(a);
    return a;
}

void Form1::mostrarProyectoElegido(const Analysis &a)
{
    Decoding = true;
    Path = a.chosen;
    DirVip = a.folder;
    Buscar::ICO(a.chosen, ImageICO);
    cmdPerdidos->hide();
    CommandBorrado->hide();
    cmdCancelar->show();
    cancelar = false;
    for (QLineEdit *t : TextNum1)
        t->hide();
    ShowIco->hide();
    LabelAviso->setText(QStringLiteral("Descodificando datos... esperar a que termine."));
    LabelAviso->show();
}

void Form1::mostrarProyectosElegidos(const Analysis &a)
{
    setLines(ListProyectos, a.projectItems());
    Module3::AjustarScrollHorizontal(ListProyectos);
    ListProyectos->show();
    captionProjectList();
    PathVip = LeerCabecera(Path);
    if (decodeIntoListVip(Path, a.chosenName)) {
        ListVip->show();
        B_listProyectos = a.chosenName;
    }
    Alerta(1, QStringLiteral(": "), false);
}

bool Form1::decodeIntoListVip(const QString &path, const QString &shownName)
{
    ListVip->clear();
    Alerta(1, QStringLiteral("Descodificando: ") + path, true);
    XP_ProgressBar1->show();
    QStringList vip;
    const bool found = ExtraerNombres_Archivos(path, &vip, QString(), true);
    fillList(ListVip, vip, found);
    if (found) {
        LabelCount[0]->setText(QString::number(ListVip->count()) + QStringLiteral(" Archivos utilizados en: ")
                               + shownName);
        LabelCount[1]->setText(DirVip);
        LabelCount[0]->show();
        LabelCount[1]->show();
    } else {
        LabelCount[0]->setText(QStringLiteral("No hay archivos, es un Vip MIDI."));
        LabelCount[1]->hide();
    }
    return found;
}

void Form1::cmdReset_Click()
{
    if (!mayStart(Activity::Request::Reset))
        return;
    // Emptying the lists under a running analysis would leave it working on
    // nothing (and every file of the folders would look unused): cancel it
    // instead; it leaves its lists as a cancelled run does.
    if (analysisRunning()) {
        cmdCancelar_Click();
        return;
    }
    unsetCursor();
    Shape1->hide();
    emptyResults();
    Timer1->stop();
    m_clock.invalidate();
    XP_ProgressBar1->hide();
    TextDecode->setPlainText(QString());
    TextDecode->hide();
    LabelAviso->hide();
    ListProyectosInfo->hide();
    cmdCancelar->hide();
    ListPath->hide();
    for (QLineEdit *t : TextNum1)
        t->show();
    TextLapsoTotal->hide();
    TextLapsoTotal->clear();
    colorLapso(QColor());
    LabelTime->hide();
    Decoding = false;
    SalvaListados->setVisible(false);
    Actualizar = false;
    ShowIco->setVisible(CheckLogo->isChecked());
    LabelIndice->hide();
    Module2::EncontradoEnVarias = false;
    Module2::InfoArchivo.clear();
    // The balloon of an earlier audition must not pop up over the empty lists.
    TipGeneral->Destroy();
}

void Form1::cmdCancelar_Click()
{
    if (Activity::EstaBorrando())
        return;
    cancelar = true;
    Decoding = false;
    cmdReset->show();
    Peers::player().unloadFormMedia();
}

void Form1::emptyResults()
{
    Peers::player().unloadFormMedia();
    Peers::associated().unloadForm2();
    ListProyectos->clear();
    ListVip->clear();
    ListUtilizados->clear();
    ListBorrar->clear();
    mostrarAnalisis(emptyAnalysis());
    for (const auto *captions : {&LabelCheck, &LabelCount, &LabelAdd, &LabelErase})
        for (QLabel *l : *captions)
            l->hide();
    cmdPerdidos->hide();
    CommandBorrado->hide();
}

void Form1::captionProjectList()
{
    LabelCheck[0]->setText(QStringLiteral("Encontrados ") + QString::number(ListProyectos->count())
                           + QStringLiteral(" proyectos en:"));
    LabelCheck[1]->setText(DirVip);
    LabelCheck[0]->show();
    LabelCheck[1]->show();
}

void Form1::LimpiarListas()
{
    // Called by a running analysis: the lists of an earlier one go a piece
    // at a time (a list of a hundred thousand lines takes a while to empty).
    for (QListWidget *l : {ListProyectos, ListVip, ListUtilizados, ListBorrar})
        emptyList(l);
    emptyResults();
    ShowIco->hide();
    cmdCancelar->show();
    cancelar = false;
    for (QLineEdit *t : TextNum1)
        t->hide();
}

void Form1::LlenarListUtilizados(const Analysis &a)
{
    ListUtilizados->clear();
    LabelAdd[0]->hide();
    TextDecode->show();
    fillList(ListUtilizados, a.used, true);
    TextDecode->hide();
    LabelAdd[0]->setText(UsedList::summary(a.usedAppended, a.projectsWithAudio, a.usedDuplicates));
    LabelAdd[1]->setText(DirVip);
    LabelAdd[0]->show();
    LabelAdd[1]->show();
    // Whatever shows a copy of the unused list empties it now: the new
    // analysis may find some of its files used.
    ListBorrar->clear();
    m_unusedRows.clear();
}

void Form1::CommandBorrado_Click()
{
    if (!Activity::EstaBorrando())
        Peers::deletion().toggleVisible();
}

void Form1::cmdAsociados_Click()
{
    Peers::associated().show();
}

bool Form1::mayStart(Activity::Request what)
{
    const Activity::Answer answer = Activity::mayStart(what);
    if (!answer.refusal.isEmpty())
        Alerta(3, answer.refusal, true);
    return bool(answer);
}

void Form1::CarpetasBuscar_Click()
{
    if (Activity::EstaBorrando())
        return;
    UnidadesBuscar &w = unidadesBuscar();
    w.show();
    w.raise();
}

void Form1::CarpetasNoBorrar_Click()
{
    if (Activity::EstaBorrando())
        return;
    FormNoBorrar &w = formNoBorrar();
    w.show();
    w.raise();
}

void Form1::Alerta(int color, const QString &texto, bool visible)
{
    static const unsigned kColours[] = {0xC0E0FF, 0xFFFFC0, 0x8080EE, 0xC0C0FF};
    if (color >= 1 && color <= 4) {
        fixColours(TextDecode, colorFromBgr(kColours[color - 1]));
        TextDecode->setProperty("alertaColor", kColours[color - 1]);
    }
    TextDecode->setPlainText(texto);
    // Lines as the box wraps them, 250 twips each.
    const int width = std::max(50, TextDecode->viewport()->width() - 8);
    const QFontMetrics fm(TextDecode->font());
    const QRect r = fm.boundingRect(QRect(0, 0, width, INT_MAX), Qt::TextWordWrap | Qt::TextWrapAnywhere, texto);
    const int lineCount = std::max(1, (r.height() + fm.lineSpacing() - 1) / fm.lineSpacing());
    TextDecode->setProperty("lineCount", lineCount);
    // A long report (many copies found, many unreadable projects) scrolls
    // instead of pushing the window past the screen.
    constexpr int kMostLines = 12;
    const int shownLines = std::min(lineCount, kMostLines);
    TextDecode->setVerticalScrollBarPolicy(lineCount > kMostLines ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    // Never lower than its lines with the box's frame and margins: the
    // last line would be cut.
    const int margins = 2 * (TextDecode->frameWidth() + int(TextDecode->document()->documentMargin()));
    TextDecode->setFixedHeight(std::max(Twips::toPixels(shownLines * 250.0), fm.lineSpacing() * shownLines + margins));
    TextDecode->setVisible(visible);
}

void Form1::MostrarRuta(const QString &texto)
{
    ListPath->clear();
    ListPath->addItem(texto);
    Module3::AjustarScrollHorizontal(ListPath);
    const bool vip = texto.contains(QStringLiteral("vip")) || texto.contains(QStringLiteral("VIP"));
    if (texto != ZoomPath) {
        ListPath->show();
        ImageIcon->hide();
        if (vip)
            ImageIcon->show();
    } else {
        ListPath->setVisible(ListPath->isHidden());
        if (vip)
            ImageIcon->setVisible(!ListPath->isHidden());
    }
    ZoomPath = texto;
}
