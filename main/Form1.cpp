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

Form1::Form1()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Velmar"));
    m_progress = std::make_unique<BarProgress>(*this);
    buildControls();
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

void Form1::fillList(QListWidget *list, const QStringList &l, bool fit, const std::vector<FileRecord> *records)
{
    ListPieces::fill(list, l, m_progress.get());
    if (records) {
        for (int i = 0; i < list->count() && size_t(i) < records->size(); ++i)
            list->item(i)->setData(kRecordRole, QVariant::fromValue((*records)[size_t(i)]));
    }
    if (fit)
        Module3::AjustarScrollHorizontal(list, l, m_progress.get());
}

QStringList Form1::readList(const QListWidget *list)
{
    return ListPieces::read(list, m_progress.get());
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
    const bool found = Decoder::ExtraerNombres_Archivos(f, list, titulo, test, dec, *m_progress);
    noteDamaged(ProjectItem::path(f));
    return found;
}

void Form1::noteDamaged(const QString &project)
{
    if (dec.damaged.isEmpty() || damagedProjects.contains(project))
        return;
    damagedProjects << project;
    damagedPaths << dec.damaged;
}

QString Form1::LeerCabecera(const QString &f)
{
    return Decoder::LeerCabecera(f, dec, *m_progress);
}

bool Form1::Valido(const QString &archivo)
{
    const bool valid = Buscar::Valido(archivo, dec, *m_progress);
    noteDamaged(archivo);
    return valid;
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
        Peers::deletion().unusedListChanged();
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
    unreadableProjects.clear();
    passedOverAudio = 0;
    answeringTogether = 0;
    refusedProjects.clear();
    otherProjects = 0;
    damagedProjects.clear();
    damagedPaths.clear();
    WinFs::clearCache();

    if (!Valido(chosen)) {
        // A file the dialog showed but that cannot be found by its name (a
        // name that is not UTF-8 shows altered) cannot be read either.
        if (dec.readError || !WinFs::findNormalFile(chosen))
            Alerta(3, QStringLiteral(" >>> AVISO <<<   No se puede leer el proyecto: ") + chosen, true);
        else if (!damagedProjects.isEmpty())
            Alerta(3, QStringLiteral(" >>> AVISO <<<   Este proyecto no tiene archivos de audio\r\n") + unreadableSummary(),
                   true);
        else
            Alerta(3, QStringLiteral(" >>> AVISO <<<   Este proyecto no tiene archivos de audio"), true);
        return;
    }

    Decoding = true;
    Path = chosen;
    Path.remove(QChar(0));
    DirVip = getPath(Path, QStringLiteral("\\"));

    const QString nombre = Buscar::Obtener_VipPath(Path);
    QString backup = nombre;
    backup.replace(QStringLiteral(".VIP"), QStringLiteral("_BAK.VIP"));

    Buscar::ICO(chosen, ImageICO);

    cmdPerdidos->hide();
    CommandBorrado->hide();
    cmdCancelar->show();
    cancelar = false;
    for (QLineEdit *t : TextNum1)
        t->hide();
    ShowIco->hide();

    LabelAviso->setText(QStringLiteral("Descodificando datos... esperar a que termine."));
    LabelAviso->show();

    // The projects of the folder, as the file system lists them.
    List1.clear();
    for (const WinFs::Entry &e : WinFs::listHostDir(WinFs::hostPath(DirVip))) {
        if (e.isDir || e.name.startsWith(u'.') || !WinPattern::matches(QStringLiteral("*.vip"), e.name))
            continue;
        List1 << DirVip + e.name;
        m_progress->pump();
    }

    int n = 1;
    const QStringList candidates = List1;
    QStringList projects;
    for (const QString &line : candidates) {
        if (Valido(line)) {
            const bool take = CheckBAK->isChecked()
                ? (line.contains(backup) || line.contains(nombre))
                : (!line.contains(QStringLiteral("_BAK")) && line == nombre);
            if (take)
                projects << ProjectItem::make(n++, line);
        } else {
            refusedProjects.insert(line);
        }
        m_progress->pump();
    }
    setLines(ListProyectos, projects);

    Module3::AjustarScrollHorizontal(ListProyectos);
    ListProyectos->show();
    captionProjectList();

    PathVip = LeerCabecera(Path);

    if (decodeIntoListVip(Path, nombre)) {
        ListVip->show();
        B_listProyectos = nombre;
    }

    Alerta(1, QStringLiteral(": "), false);

    LlenarListUtilizados();
    LlenarListBorrar();

    TextDecode->hide();
    XP_ProgressBar1->hide();
    LabelAviso->hide();
    DragVip.clear();

    cancelar = false;
    cmdCancelar->hide();
    SalvaListados->setVisible(true);

    BuscarPerdidos();

    cmdReset->show();
    Decoding = false;
    if (!unreadableSummary().isEmpty())
        Alerta(3, unreadableSummary(), true);
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
    clearUnusedList();
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

void Form1::LlenarListUtilizados()
{
    ListUtilizados->clear();
    dec.NumArchivos = 0;
    DescodificarProyectos();
    LabelAdd[0]->show();
    LabelAdd[1]->show();
}

void Form1::DescodificarProyectos()
{
    const Activity::Token running(Activity::Kind::Analysis);
    LabelAdd[0]->hide();
    TextDecode->show();
    int conAudio = 0;
    int duplicados = 0;
    const QStringList items = lines(ListProyectos);
    m_progress->setRange(0, items.size());

    QStringList used;
    fullNames.clear();
    bool stopped = false;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QString &item = items[i];
        if (!(!CheckBAK->isChecked() && item.contains(QStringLiteral("_BAK")))) {
            Alerta(1, QStringLiteral("Descodificando: ") + item, true);
            const QString path = ProjectItem::path(item);
            if (ExtraerNombres_Archivos(path, &used, UsedList::headerLine(item), true))
                ++conAudio;
            fullNames << dec.fullNames;
            // A project cut short while it was read may have named more.
            if (dec.readError && !unreadableProjects.contains(path))
                unreadableProjects << path;
        }
        m_progress->setValue(i);
        m_progress->pump();
        if (cancelar) {
            stopped = true;
            break;
        }
    }

    if (!stopped) {
        m_progress->setRange(0, used.size());
        QString lastRemoved;
        duplicados = UsedList::removeDuplicates(used, [&](const QString &l) { lastRemoved = l; }, m_progress.get());
        if (duplicados > 0)
            Alerta(1, QStringLiteral("Eliminando duplicado: ") + lastRemoved, true);
        m_progress->pump();
        used = UsedList::spaced(used);
    }
    fillList(ListUtilizados, used, true);

    TextDecode->hide();
    LabelAdd[0]->hide();
    LabelAdd[1]->hide();
    LabelAdd[0]->setText(UsedList::summary(dec.NumArchivos, conAudio, duplicados));
    LabelAdd[0]->show();
    LabelAdd[1]->setText(DirVip);
    LabelAdd[0]->show();
    LabelAdd[1]->show();
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
