#include "cleanup/ParaBorrar.h"
#include "services/WindowPlace.h"
#include "services/ModAlpha.h"

#include "cleanup/DeletionLog.h"
#include "cleanup/DeletionRun.h"
#include "cleanup/Form2.h"
#include "cleanup/Recuperar.h"
#include "main/FolderListWindows.h"
#include "main/FolderLists.h"
#include "main/Peers.h"
#include "main/Perdidos.h"
#include "main/Analysis.h"
#include "main/Unused.h"
#include "platform/Ask.h"
#include "platform/EventPump.h"
#include "platform/Settings.h"
#include "platform/ShellCopy.h"
#include "platform/SpanishDate.h"
#include "platform/WinFs.h"
#include "services/BuscarIcon.h"
#include "services/BuscarPaths.h"
#include "services/Dialogo.h"
#include "services/ListPieces.h"
#include "services/Module3Ui.h"
#include "services/Pictures.h"
#include "services/ShellOps.h"
#include "services/WinColor.h"
#include "services/WindowKeys.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using ModAlpha::kMinOpacity;

// How often a deletion run lets the window's events run: often enough that
// the window answers at once (a user notices 50 ms), seldom enough that
// repainting does not cost more than the files.
constexpr qint64 kSliceMs = 20;

// The window's settings.
constexpr Settings::PlaceKeys kPlace{{{"ParaBorrar_Left"}, 0}, {{"ParaBorrar_Top"}, 0}};
constexpr Settings::IntKey kOpacity = ModAlpha::opacityKey("HScroll5");
constexpr Settings::IntKey check(const char *name)
{
    return {{name}, 0, 0, 1};
}
constexpr Settings::IntKey kCheckKeys[] = {check("ParaBorrar.CheckAudio"), check("ParaBorrar.CheckBorrarPapelera"),
                                           check("ParaBorrar.CheckVaciarPapelera"), check("ParaBorrar_No ToolTips"),
                                           check("ParaBorrar.CheckConfirmar"), check("ParaBorrar.CheckBackup")};

const QString kHint = QStringLiteral(" Los items que NO estén seleccionados, no se borrarán    También se pueden "
                                     "eliminar de la lista pulsando tecla <Supr>");
const QString kBusy = QStringLiteral("Espere a que termine el borrado de archivos no utilizados.");
// The result panel: green when every selected file went, the warning
// colour otherwise.
constexpr unsigned kGreen = 0xFF00;
constexpr unsigned kWarning = 0x8080FF;

// Letting go of a million elements at once holds the window for a while: in
// pieces, the window's events running between them (the run is still on).
template <typename T>
void releaseInPieces(std::vector<T> &v)
{
    constexpr size_t kPiece = 16384;
    while (!v.empty()) {
        v.erase(v.end() - std::ptrdiff_t(std::min(v.size(), kPiece)), v.end());
        EventPump::pumpEvents();
    }
    v.shrink_to_fit();
}

bool storedCheck(const Settings::IntKey &key)
{
    return key.value() == 1;
}

} // namespace

namespace {

class Peer final : public Peers::DeletionWindow
{
public:
    void toggleVisible() override
    {
        ParaBorrar &w = paraBorrar();
        w.setVisible(!w.isVisible());
        if (w.isVisible())
            w.raise();
    }
    void unusedListChanged(const std::shared_ptr<const Analysis> &analysis, const std::vector<bool> &gone,
                           Progress *progress) override
    {
        if (paraBorrarLoaded())
            paraBorrar().tomarLista({analysis, gone}, progress);
    }
};

} // namespace

ParaBorrar::Offered ParaBorrar::offered()
{
    const Peers::MainWindow *main = Peers::mainWindow();
    return main ? Offered{main->analysisShown(), main->unusedGone()} : Offered{};
}

Peers::DeletionWindow &paraBorrarPeer()
{
    static Peer peer;
    return peer;
}

QString ParaBorrar::mark()
{
    return QStringLiteral("  --> Borrado");
}

ParaBorrar::ParaBorrar()
{
    setObjectName(QStringLiteral("ParaBorrar"));
    setWindowTitle(QStringLiteral("        Archivos que se borraran"));
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    resize(760, 520);

    auto check = [this](const char *name, const QString &text) {
        auto *c = new QCheckBox(text, this);
        c->setObjectName(QString::fromLatin1(name));
        return c;
    };
    auto button = [this](const char *name, const QString &text, const QString &tip) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(tip);
        return b;
    };

    ListBorrar = new QListWidget(this);
    ListBorrar->setObjectName(QStringLiteral("ListBorrar"));
    ListBorrar->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Every line has one height: marking a line during a run must not make
    // the list measure all its lines again.
    ListBorrar->setUniformItemSizes(true);
    ListBorrar->installEventFilter(this);
    ListBorrar->viewport()->setMouseTracking(true);
    ListBorrar->viewport()->installEventFilter(this);
    CheckBackup = check("CheckBackup", QStringLiteral("Hacer copia de seguridad de archivos"));
    CheckBackup->setToolTip(QStringLiteral("Copia de seguridad de los archivos a borrar"));
    CheckConfirmar = check("CheckConfirmar", QStringLiteral("Confirmar antes de borrar"));
    CheckBorrarPapelera = check("CheckBorrarPapelera", QStringLiteral("Borrar enviando a Papelera Reciclaje"));
    CheckVaciarPapelera = check("CheckVaciarPapelera", QStringLiteral("Borrar antes la papelera reciclaje"));
    CheckAudio = check("CheckAudio", QStringLiteral("Reporducir audio de cada item ->"));
    ParaBorrarCheckToolTip = check("ParaBorrarCheckToolTip", QStringLiteral("No ToolTips"));
    cmdHecho = button("cmdHecho", QStringLiteral("Borrar"), QStringLiteral("Borrar según opciones elegidas."));
    cmdHecho->setIcon(picture(this, QStringLiteral("edit-delete"), QStyle::SP_TrashIcon));
    Cancela = button("Cancela", QStringLiteral("Cancelar"), QStringLiteral("Salir sin borrar archivos"));
    Cancela->setIcon(picture(this, QStringLiteral("process-stop"), QStyle::SP_BrowserStop));
    Salir = button("Salir", QStringLiteral("Cerrar"), QStringLiteral("Cerrar ventana"));
    Salir->setIcon(picture(this, QStringLiteral("window-close"), QStyle::SP_DialogCloseButton));
    LabelErase = new QLabel(this);
    LabelErase->setObjectName(QStringLiteral("LabelErase"));
    Label1 = new QLabel(kHint, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    setBack(Label1, 0xFFFFC0);
    Label1->installEventFilter(this);
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    LabelEstado = new QLabel(this);
    LabelEstado->setObjectName(QStringLiteral("LabelEstado"));
    LabelEstado->setWordWrap(true);
    LabelEstado->hide();
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    HScroll5 = new QScrollBar(Qt::Horizontal, this);
    HScroll5->setObjectName(QStringLiteral("HScroll5"));
    HScroll5->setRange(kMinOpacity, 100);
    TextSound = new QPlainTextEdit(QStringLiteral("Este archivo no se puede reproducir"), this);
    TextSound->setObjectName(QStringLiteral("TextSound"));
    TextSound->setReadOnly(true);
    TextSound->setMaximumHeight(40);
    TextSound->hide();
    AvisoSound = new QPlainTextEdit(QStringLiteral("Clic botón izq. en un item de la lista se reproduce el audio.\r\n"
                                                   "Clic botón dcho. Stop audio. \r\n"),
                                    this);
    AvisoSound->setObjectName(QStringLiteral("AvisoSound"));
    AvisoSound->setToolTip(QStringLiteral("Clic para ocultar"));
    AvisoSound->setReadOnly(true);
    AvisoSound->setMaximumHeight(50);
    AvisoSound->hide();
    AvisoSound->viewport()->installEventFilter(this);
    ImageInfoSound = new QLabel(this);
    ImageInfoSound->setPixmap(picture(this, QStringLiteral("help-about"), QStyle::SP_MessageBoxQuestion).pixmap(20, 20));
    ImageInfoSound->setObjectName(QStringLiteral("ImageInfoSound"));
    ImageInfoSound->setToolTip(QStringLiteral("Clic para explicaciones."));
    ImageInfoSound->installEventFilter(this);
    ImageICO = new QLabel(this);
    ImageICO->setObjectName(QStringLiteral("ImageICO"));
    ImageICO->setFixedSize(36, 36);
    ImageICO->hide();
    XP_Bar = new QProgressBar(this);
    XP_Bar->setObjectName(QStringLiteral("XP_Bar"));
    XP_Bar->setTextVisible(false);
    XP_Bar->hide();

    auto *options = new QGridLayout;
    options->addWidget(CheckBackup, 0, 0);
    options->addWidget(CheckBorrarPapelera, 0, 1);
    options->addWidget(CheckConfirmar, 1, 0);
    options->addWidget(CheckVaciarPapelera, 1, 1);
    auto *audio = new QHBoxLayout;
    audio->addWidget(CheckAudio);
    audio->addWidget(ImageInfoSound);
    audio->addWidget(ImageICO);
    audio->addStretch();
    audio->addWidget(ParaBorrarCheckToolTip);
    options->addLayout(audio, 2, 0, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(new QLabel(QStringLiteral("Transparencia"), this));
    buttons->addWidget(HScroll5, 1);
    buttons->addWidget(Label2);
    buttons->addStretch();
    buttons->addWidget(cmdHecho);
    buttons->addWidget(Cancela);
    buttons->addWidget(Salir);
    auto *box = new QVBoxLayout(this);
    box->addWidget(Label1);
    box->addWidget(ListBorrar, 1);
    box->addWidget(LabelErase);
    box->addWidget(TextSound);
    box->addWidget(AvisoSound);
    box->addLayout(options);
    box->addWidget(XP_Bar);
    box->addWidget(LabelEstado);
    box->addLayout(buttons);

    connect(cmdHecho, &QPushButton::clicked, this, &ParaBorrar::cmdHecho_Click);
    connect(Cancela, &QPushButton::clicked, this, &ParaBorrar::Cancela_Click);
    connect(Salir, &QPushButton::clicked, this, &ParaBorrar::Salir_Click);
    WindowKeys::closeOnEscape(this, Salir);
    connect(CheckAudio, &QCheckBox::clicked, this, &ParaBorrar::CheckAudio_Click);
    connect(ParaBorrarCheckToolTip, &QCheckBox::toggled, this, &ParaBorrar::ParaBorrarCheckToolTip_Click);
    connect(HScroll5, &QScrollBar::valueChanged, this, &ParaBorrar::HScroll5_Scroll);
    connect(Timer1, &QTimer::timeout, this, &ParaBorrar::Timer1_Timer);

    PonerToolTips(false);
    Form_Load();
}

ParaBorrar::~ParaBorrar()
{
    SingleWindow<ParaBorrar>::release(this);
}

void ParaBorrar::Form_Load()
{
    if (const Offered now = offered(); stale(now))
        CopiarListBorrados(now, nullptr);
    WindowPlace::restore(this, kPlace);
    CheckAudio->setChecked(storedCheck(kCheckKeys[0]));
    Peers::player().stopAndClear();
    CheckBorrarPapelera->setChecked(storedCheck(kCheckKeys[1]));
    CheckVaciarPapelera->setChecked(storedCheck(kCheckKeys[2]));
    ParaBorrarCheckToolTip->setChecked(storedCheck(kCheckKeys[3]));
    CheckConfirmar->setChecked(storedCheck(kCheckKeys[4]));
    CheckBackup->setChecked(storedCheck(kCheckKeys[5]));
    Timer1->setInterval(500);
    Timer1->start();
    CancelaOp = false;
    cmdHecho->hide();
    Cancela->hide();
    if (ListBorrar->count() > 0)
        cmdHecho->show();
    mostrarAviso();
    const QSignalBlocker block(HScroll5);
    HScroll5->setValue(kOpacity.value());
    HScroll5_Scroll();
}

void ParaBorrar::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Shown again after a new analysis: the list must be that analysis's,
    // whatever its count (a stale list could name files the new projects use).
    if (const Offered now = offered(); !EstaBorrando && stale(now))
        tomarLista(now, nullptr);
}

bool ParaBorrar::stale(const Offered &now) const
{
    if (m_edited)
        return true;
    const quint64 taken = m_analysis ? m_analysis->number : 0;
    const quint64 current = now.analysis ? now.analysis->number : 0;
    if (taken == current)
        return false;
    // An empty list is no stale copy of another empty list.
    const qsizetype offeredLines = now.analysis ? qsizetype(now.analysis->unused.size())
            - std::count(now.gone.begin(), now.gone.end(), true)
                                                : 0;
    return ListBorrar->count() > 0 || offeredLines > 0;
}

const FileRecord &ParaBorrar::recordAt(int row) const
{
    return m_analysis->unused[size_t(m_rowEntry[size_t(row)])].record;
}

void ParaBorrar::tomarLista(const Offered &now, Progress *progress)
{
    if (EstaBorrando)
        return;
    CopiarListBorrados(now, progress);
    LabelEstado->hide();
    cmdHecho->setVisible(ListBorrar->count() > 0);
}

QStringList ParaBorrar::unmarkedLines() const
{
    QStringList out = ListPieces::read(ListBorrar, nullptr);
    for (QString &l : out) {
        if (l.endsWith(mark()))
            l.chop(mark().size());
    }
    return out;
}

void ParaBorrar::CopiarListBorrados(const Offered &now, Progress *progress)
{
    m_analysis = now.analysis;
    m_edited = false;
    m_rowEntry.clear();
    QStringList lines;
    if (m_analysis) {
        const std::vector<Unused::UnusedEntry> &unused = m_analysis->unused;
        for (size_t i = 0; i < unused.size(); ++i) {
            if (i < now.gone.size() && now.gone[i])
                continue;
            lines << unused[i].line;
            m_rowEntry.push_back(qsizetype(i));
            if (progress && (i & 4095) == 4095)
                progress->pump();
        }
    }
    if (progress)
        ListPieces::empty(ListBorrar, progress);
    ListPieces::fill(ListBorrar, lines, progress);
    Module3::AjustarScrollHorizontal(ListBorrar, lines, progress);
    LabelErase->setText(QStringLiteral("Archivos no utilizados: ") + QString::number(lines.size()));
    m_noBorrados = int(lines.size());
    mostrarAviso();
}

void ParaBorrar::mostrarAviso()
{
    // The user decides here: a list that may name files of projects the
    // analysis did not read says so while it is shown.
    const int others = m_analysis && ListBorrar->count() > 0 ? m_analysis->otherProjects : 0;
    Label1->setText(others > 0 ? kHint + u'\n' + Unused::otherProjectsNotice(others) : kHint);
}

void ParaBorrar::contarNoBorrados()
{
    LabelErase->setText(QStringLiteral("Archivos no utilizados: ") + QString::number(m_noBorrados));
}

void ParaBorrar::SalvarOpciones()
{
    Peers::player().stopAndClear();
    WindowPlace::save(this, kPlace);
    const QCheckBox *boxes[] = {CheckAudio, CheckBorrarPapelera, CheckVaciarPapelera, ParaBorrarCheckToolTip,
                                CheckConfirmar, CheckBackup};
    for (int i = 0; i < 6; ++i)
        kCheckKeys[i].setValue(boxes[i]->isChecked() ? 1 : 0);
    kOpacity.setValue(HScroll5->value());
    Settings::sync();
}

void ParaBorrar::PonerToolTips(bool quitar)
{
    CheckConfirmar->setToolTip(quitar ? QString() : QStringLiteral("Pide confirmación antes de borrar cada archivo"));
    CheckBorrarPapelera->setToolTip(quitar ? QString() : QStringLiteral("Los archivos a borrar, se envían a la papelera"));
    CheckVaciarPapelera->setToolTip(
        quitar ? QString() : QStringLiteral("Se borraran los archivos que haya en la papelera, pide confirmación"));
    CheckAudio->setToolTip(quitar ? QString() : QStringLiteral("Si se activa, reproduce el item clicado"));
    ListBorrar->setToolTip(quitar ? QString() : QStringLiteral("Se borraran los archivos de los items seleccionados."));
}

void ParaBorrar::ParaBorrarCheckToolTip_Click()
{
    PonerToolTips(ParaBorrarCheckToolTip->isChecked());
}

void ParaBorrar::CheckAudio_Click()
{
    if (!CheckAudio->isChecked()) {
        Peers::player().stopAndClear();
        return;
    }
    Peers::MainWindow *main = Peers::mainWindow();
    if (main && !main->decoding()) {
        QListWidgetItem *item = ListBorrar->currentItem();
        main->PlayAudio(item ? item->text() : QString());
    }
}

void ParaBorrar::HScroll5_Scroll()
{
    ModAlpha::AplicarAlpha(this, HScroll5->value());
    Label2->setText(QString::number(100 - HScroll5->value()));
}

void ParaBorrar::Timer1_Timer()
{
    blinkBack(Label1);
}

void ParaBorrar::Label1_Click()
{
    LabelErase->setText(QString::number(ListBorrar->count()));
}

bool ParaBorrar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ListBorrar && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        // The list cannot change under a run: it walks the items by index.
        if (!EstaBorrando)
            deleteSelectedLines();
        return true;
    }
    // An audition installs the balloon's own filter on this list while the
    // press is being filtered, and Qt then offers the same press to this
    // filter again: one press, one audition.
    if (watched == ListBorrar->viewport() && event->type() == QEvent::MouseButtonPress
        && !(event == m_lastPress && static_cast<QMouseEvent *>(event)->timestamp() == m_lastPressTime)) {
        m_lastPress = event;
        m_lastPressTime = static_cast<QMouseEvent *>(event)->timestamp();
        ListBorrar_MouseDown(static_cast<QMouseEvent *>(event)->button(),
                             static_cast<QMouseEvent *>(event)->position().toPoint());
    }
    if (watched == ListBorrar->viewport() && event->type() == QEvent::MouseMove)
        ListBorrar_MouseMove(static_cast<QMouseEvent *>(event)->position().toPoint());
    if (watched == Label1 && event->type() == QEvent::MouseButtonPress)
        Label1_Click();
    if (watched == ImageInfoSound && event->type() == QEvent::MouseButtonPress)
        AvisoSound->setVisible(AvisoSound->isHidden());
    if (watched == AvisoSound->viewport() && event->type() == QEvent::MouseButtonPress)
        AvisoSound->hide();
    return QWidget::eventFilter(watched, event);
}

void ParaBorrar::ListBorrar_MouseMove(const QPoint &at)
{
    // The main window shows the number of the line under the mouse.
    if (Peers::MainWindow *main = Peers::mainWindow())
        main->ViewItem(ListBorrar, at, QStringLiteral("ListBorrar"));
}

void ParaBorrar::deleteSelectedLines()
{
    for (int i = ListBorrar->count() - 1; i >= 0; --i) {
        if (!ListBorrar->item(i)->isSelected())
            continue;
        if (!ListBorrar->item(i)->text().endsWith(mark()))
            --m_noBorrados;
        delete ListBorrar->takeItem(i);
        m_rowEntry.erase(m_rowEntry.begin() + i);
        m_edited = true;
    }
}

void ParaBorrar::ListBorrar_MouseDown(Qt::MouseButton button, QPoint at)
{
    Peers::player().stop();
    TextSound->hide();
    ImageICO->hide();
    if (button == Qt::LeftButton && CheckAudio->isChecked()) {
        // The item under the mouse: the press has not made it current yet.
        QListWidgetItem *item = at.x() >= 0 ? ListBorrar->itemAt(at) : nullptr;
        if (item)
            ListBorrar->setCurrentItem(item, QItemSelectionModel::NoUpdate);
        else
            item = ListBorrar->currentItem();
        const QString path = item ? item->text() : QString();
        if (!WinFs::findNormalFile(path)) {
            if (path.contains(QStringLiteral("Borrado"))) {
                TextSound->setPlainText(QStringLiteral("Este archivo ha sido borrado"));
                TextSound->show();
            }
            return;
        }
        const QString ext = path.right(3).toLower();
        static const QStringList playable = {QStringLiteral("mp3"), QStringLiteral("wav"), QStringLiteral("aif"),
                                             QStringLiteral("wma"), QStringLiteral("m4a")};
        if (!playable.contains(ext)) {
            TextSound->setPlainText(QStringLiteral("Este archivo no se puede reproducir"));
            TextSound->show();
        } else if (Peers::MainWindow *main = Peers::mainWindow()) {
            main->PlayAudio(path);
            TextSound->hide();
            Buscar::ICO(path, ImageICO);
            ImageICO->show();
            main->setBuscado(path);
            main->InfoAudio(ext);
            main->ShowToolTip(ListBorrar, path, path);
        }
    }
    raise();
    activateWindow();
}

void ParaBorrar::setRunning(bool running)
{
    Cancela->setVisible(running);
    // Nothing the run reads may change under it.
    for (QCheckBox *c : {CheckBackup, CheckConfirmar, CheckBorrarPapelera, CheckVaciarPapelera})
        c->setEnabled(!running);
    ListBorrar->setSelectionMode(running ? QAbstractItemView::NoSelection : QAbstractItemView::ExtendedSelection);
    Salir->setEnabled(!running);
}

void ParaBorrar::cmdHecho_Click()
{
    // Not inside a run of its own, nor a restore, which writes files back
    // meanwhile, nor a running analysis or search of the main window (its
    // lists are being rebuilt), nor a scan or a deletion of the
    // associated-files window.
    if (!cmdHecho->isVisible() || !Activity::mayStart(Activity::Request::Deletion))
        return;
    if (!CheckBackup->isChecked() && !CheckBorrarPapelera->isChecked() && !confirmarSinCopia())
        return;
    // Each of these windows is closed when it is open (shown); a hidden one
    // keeps what it holds.
    if (recuperarLoaded() && recuperar().isVisible())
        unloadRecuperar();
    if (perdidosLoaded() && perdidos().isVisible())
        unloadPerdidos();
    if (Peers::player().isVisible())
        Peers::player().unloadFormMedia();
    if (unidadesBuscarLoaded() && unidadesBuscar().isVisible())
        unloadUnidadesBuscar();

    if (CheckBackup->isChecked()) {
        CarpetaElegida = Dialogo::ElegirCarpeta(this, QStringLiteral("Elegir o crear carpeta"));
        // Deleting without the backup the user asked for would lose the
        // only way back: no folder, no run.
        if (CarpetaElegida.isEmpty()) {
            QMessageBox::warning(this, QStringLiteral("Archivos que se borraran"),
                                 QStringLiteral("No se ha elegido la carpeta para la copia de seguridad.\r\n"
                                                "No se ha borrado ningún archivo."));
            return;
        }
    }
    {
        const Activity::Token running(Activity::Kind::Deletion);
        setRunning(true);
        CancelaOp = false;
        BorrarSeleccionados();
        setRunning(false);
    }
    CancelaOp = false;
    showOutcome();
}

bool ParaBorrar::confirmarSinCopia()
{
    // Nothing else starts while the files are counted and the question is
    // open, and the selection holds still: a long list is counted with the
    // window's events running.
    const Activity::Token counting(Activity::Kind::Deletion);
    ListBorrar->setSelectionMode(QAbstractItemView::NoSelection);
    const auto selectable = qScopeGuard([this] { ListBorrar->setSelectionMode(QAbstractItemView::ExtendedSelection); });
    // The files the run would delete: selected, not deleted already, not
    // under a protected folder. Protected folders that cannot be read stop
    // the run before it touches anything, which says why: nothing to ask.
    const FolderLists::ProtectedFolders protegidas = FolderLists::readProtectedFolders();
    if (!protegidas.error.isEmpty())
        return true;
    const QStringList &protectedFolders = protegidas.folders;
    int n = 0;
    int seen = 0;
    for (const QItemSelectionRange &r : ListBorrar->selectionModel()->selection()) {
        for (int row = r.top(); row <= r.bottom(); ++row) {
            const QString text = ListBorrar->item(row)->text();
            if (!text.endsWith(mark()) && !FolderLists::isProtected(text, protectedFolders))
                ++n;
            if ((++seen & 1023) == 0)
                EventPump::pumpEvents();
        }
    }
    if (n == 0)
        return true;
    return Ask::question(QStringLiteral("Borrar definitivamente"),
                         QStringLiteral("Se van a borrar definitivamente %1 archivos sin copia de seguridad. No se "
                                        "podrán recuperar. ¿Continuar?")
                             .arg(n),
                         {QStringLiteral("Borrar"), QStringLiteral("Cancelar")})
        == 0;
}

void ParaBorrar::Cancela_Click()
{
    if (EstaBorrando)
        CancelaOp = true;
}

// The run's progress as the window shows it: the bar, the cancel button and
// the window's events, which run every slice of time rather than after
// every file (a repaint costs more than a small file); the first call runs
// them at once, so what the click left queued (a cancel included) is seen.
class ParaBorrar::RunProgress final : public Progress
{
public:
    explicit RunProgress(ParaBorrar &w) : m_w(w) {}
    void setRange(qint64 minimum, qint64 maximum) override { m_w.XP_Bar->setRange(int(minimum), int(maximum)); }
    void setValue(qint64 value) override
    {
        m_value = int(value);
        // The end is shown whatever the time.
        if (m_value >= m_w.XP_Bar->maximum())
            m_w.XP_Bar->setValue(m_value);
    }
    bool cancelled() const override { return m_w.CancelaOp; }
    void pump() override
    {
        if (m_pumped && !EventPump::isDue(kSliceMs))
            return;
        m_pumped = true;
        // A progress bar repaints the window at once when its value moves;
        // the pump that follows paints it anyway, once.
        m_w.XP_Bar->setUpdatesEnabled(false);
        m_w.XP_Bar->setValue(m_value);
        m_w.XP_Bar->setUpdatesEnabled(true);
        EventPump::pumpNow();
    }

private:
    ParaBorrar &m_w;
    int m_value = 0;
    bool m_pumped = false;
};

void ParaBorrar::BorrarSeleccionados()
{
    m_outcome = Outcome();
    ruta = CarpetaElegida;

    Deletion::Options options;
    options.toTrash = CheckBorrarPapelera->isChecked();
    options.confirm = CheckConfirmar->isChecked();
    options.emptyTrashFirst = CheckVaciarPapelera->isChecked();
    options.backupFolder = CheckBackup->isChecked() ? ruta : QString();
    // Protected folders that could not be read are no empty list: no run.
    const FolderLists::ProtectedFolders protegidas = FolderLists::readProtectedFolders();
    if (!protegidas.error.isEmpty()) {
        if (Peers::MainWindow *main = Peers::mainWindow())
            main->Alerta(3, protegidas.error, true);
        QMessageBox::warning(this, QStringLiteral("Archivos que se borraran"), protegidas.error);
        return;
    }
    options.protectedFolders = protegidas.folders;
    if (formNoBorrarLoaded())
        formNoBorrar().LeerRutasNoBorrados();
    options.date = SpanishDate::today();
    options.time = SpanishDate::now();
    options.rows = ListBorrar->count();

    // The selected lines, each with the file the analysis recorded for it
    // (a line already deleted is not offered again).
    std::vector<Deletion::Item> items;
    std::vector<QListWidgetItem *> rows;
    // Room for them all at once: growing a vector of a million items moves
    // them all in one stretch.
    qsizetype selected = 0;
    for (const QItemSelectionRange &r : ListBorrar->selectionModel()->selection())
        selected += r.height();
    items.reserve(size_t(selected));
    rows.reserve(size_t(selected));
    for (int i = 0; i < ListBorrar->count(); ++i) {
        // The run is on (nothing changes the list): a long one lets the
        // window's events run as it is read.
        if ((i & 1023) == 1023)
            EventPump::pumpEvents();
        QListWidgetItem *item = ListBorrar->item(i);
        if (!item->isSelected() || item->text().endsWith(mark()))
            continue;
        items.push_back({i, item->text(), m_analysis->unused[size_t(m_rowEntry[size_t(i)])].record});
        rows.push_back(item);
    }

    XP_Bar->show();
    NumBorrados = 0;
    Deletion::FileOps files;
    RunProgress progress(*this);
    std::vector<qsizetype> gone;
    Deletion::Report report
        = Deletion::run(items, options, files, progress, [&](size_t k, const Deletion::ItemResult &r) {
              if (r.status != Deletion::Status::Deleted)
                  return;
              {
                  // A list view lays all its lines out again after any
                  // change of their data, and over a million lines that
                  // held the window at every pass of its events: the mark
                  // is made quietly and the visible lines painted again
                  // (a line keeps its height, and the list's width is its
                  // own setting).
                  const QSignalBlocker quiet(ListBorrar->model());
                  rows[k]->setText(items[k].path + mark());
              }
              ListBorrar->viewport()->update();
              gone.push_back(m_rowEntry[size_t(items[k].row)]);
              m_edited = true;
              ++NumBorrados;
              --m_noBorrados;
          });

    m_outcome.deleted = report.deleted;
    m_outcome.skipped = report.skipped;
    m_outcome.failed = report.failed;
    m_outcome.cancelled = report.cancelled;
    m_outcome.started = report.started;
    m_outcome.stopped = report.stopped;
    m_outcome.problems = report.problems;
    m_outcome.selected = int(items.size());
    m_outcome.nameTaken = report.nameTaken;
    m_outcome.trashNotEmptied = report.trashNotEmptied;
    // Each reason once, with its count.
    QStringList reasons;
    QHash<QString, int> counts;
    int notReached = 0;
    for (size_t k = 0; k < report.items.size(); ++k) {
        const Deletion::ItemResult &r = report.items[k];
        // Still inside the run: a long list lets the window's events run.
        if ((k & 1023) == 1023)
            EventPump::pumpEvents();
        if (r.status == Deletion::Status::NotReached) {
            ++notReached;
            continue;
        }
        if (r.status == Deletion::Status::Deleted)
            continue;
        if (!counts.contains(r.reason))
            reasons << r.reason;
        ++counts[r.reason];
    }
    for (const QString &r : reasons)
        m_outcome.reasons << r + QStringLiteral(" (") + QString::number(counts.value(r)) + u')';
    if (notReached > 0 && !report.cancelled)
        m_outcome.reasons << QStringLiteral("no se ha llegado a ellos (") + QString::number(notReached) + u')';
    // The files that are gone are no longer offered by the main window.
    if (Peers::MainWindow *main = Peers::mainWindow(); main && m_analysis)
        main->quitarBorrados(m_analysis->number, gone);
    releaseInPieces(items);
    releaseInPieces(rows);
    releaseInPieces(report.items);
    releaseInPieces(gone);

    XP_Bar->hide();
    if (!report.started) {
        QMessageBox::warning(this, QStringLiteral("Archivos que se borraran"),
                             report.stopped + QStringLiteral("\r\nNo se ha borrado ningún archivo."));
        return;
    }
    cmdHecho->hide();
    Salir->show();
    contarNoBorrados();
}

void ParaBorrar::showOutcome()
{
    if (!m_outcome.started)
        return;
    const Outcome &o = m_outcome;
    // The success text only when every selected file went; a run that
    // deleted nothing never says it did.
    const bool all = o.selected > 0 && o.deleted == o.selected && o.trashNotEmptied.isEmpty();
    QStringList lines;
    unsigned colour = kWarning;
    if (!o.stopped.isEmpty())
        lines << o.stopped;
    else if (o.cancelled)
        lines << QStringLiteral(" >> Se han Cancelado todas las operaciones << ");
    else if (o.selected == 0) {
        lines << QStringLiteral(" >> No hay archivos para borrar << ");
        colour = kGreen;
    } else if (all) {
        lines << QStringLiteral(" >> Se han efectuado todas las operaciones << ");
        colour = kGreen;
    }
    const QString counts
        = QStringLiteral("Borrados: %1    Omitidos: %2    Fallidos: %3").arg(o.deleted).arg(o.skipped).arg(o.failed);
    if (o.selected > 0)
        lines << counts;
    lines << o.reasons;
    if (!o.trashNotEmptied.isEmpty())
        lines << QStringLiteral("Papelera: ") + o.trashNotEmptied;
    const QString collision
        = o.nameTaken > 0 ? QStringLiteral("Hay %1 archivos con el mismo nombre que otro ya copiado: bórrelos en otra "
                                           "tanda con otra carpeta de copia.")
                                .arg(o.nameTaken)
                          : QString();
    if (!collision.isEmpty())
        lines << collision;
    LabelEstado->setText(lines.join(u'\n'));
    LabelEstado->setToolTip(o.problems.mid(0, 200).join(u'\n'));
    LabelEstado->setStyleSheet(colourSheet(colorFromBgr(colour)));
    LabelEstado->show();
    if (o.failed > 0 || o.skipped > 0 || !o.stopped.isEmpty() || !o.trashNotEmptied.isEmpty()) {
        QStringList shown = o.problems.mid(0, 20);
        if (!o.stopped.isEmpty())
            shown.prepend(o.stopped + QStringLiteral("\r\n"));
        if (o.problems.size() > 20)
            shown << QStringLiteral("... y %1 más").arg(o.problems.size() - 20);
        if (!collision.isEmpty())
            shown << QStringLiteral("\r\n") + collision;
        QMessageBox::warning(this, QStringLiteral("Archivos que se borraran"),
                             counts + QStringLiteral("\r\n\r\n") + shown.join(QStringLiteral("\r\n")));
    }
}

void ParaBorrar::Salir_Click()
{
    close();
}

void ParaBorrar::closeEvent(QCloseEvent *event)
{
    // The run walks this window's list: it cannot go while the run is on.
    if (EstaBorrando) {
        event->ignore();
        LabelEstado->setText(kBusy);
        LabelEstado->setStyleSheet(colourSheet(colorFromBgr(kWarning)));
        LabelEstado->show();
        return;
    }
    event->accept();
    if (m_closing)
        return;
    m_closing = true;
    SalvarOpciones();
    Timer1->stop();
    SingleWindow<ParaBorrar>::discard(this);
}
