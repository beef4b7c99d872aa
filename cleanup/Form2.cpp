#include "cleanup/Form2.h"

#include "cleanup/Asociados.h"
#include "cleanup/DeletionRun.h"
#include "main/Activity.h"
#include "main/DroppedPaths.h"
#include "main/Peers.h"
#include "platform/EventPump.h"
#include "platform/Settings.h"
#include "platform/Twips.h"
#include "platform/WinFs.h"
#include "services/BuscarIcon.h"
#include "services/BuscarPaths.h"
#include "services/DropLater.h"
#include "services/ListPieces.h"
#include "services/FitLabel.h"
#include "services/ModAlpha.h"
#include "services/Module3Ui.h"
#include "services/WinColor.h"
#include "services/WindowKeys.h"
#include "services/WindowPlace.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

using Asociados::Linea;

// How often a scan or a deletion lets the window's events run: often enough
// that the window answers at once even on a busy machine (a slice and the
// step that ends it well under the 50 ms a person notices), seldom enough
// that repainting does not cost more than the files.
constexpr qint64 kSliceMs = 10;

const QString kAyudaLista = QStringLiteral(
    "Clic en un item, reproduce el audio. Botón dcho Stop, Doble clic en una ruta selecciona todos sus archivos.");
const QString kTodosBorrados = QStringLiteral("Todos los archivos seleccionados de la lista ha sido borrados.");
const QString kTitulo = QStringLiteral("Borrar asociados");

// The window's settings: read at load (the three options again at each
// drop), written at unload; the position is written only.
constexpr Settings::IntKey check(const char *name)
{
    return {{name}, 0, 0, 1};
}
constexpr Settings::IntKey kKeyToolTip = check("Form2.CheckToolTip");
constexpr Settings::IntKey kKeyConfirmar = check("Form2.CheckConfirmar");
constexpr Settings::IntKey kKeyBorrarPapelera = check("Form2.CheckBorrarPapelera");
constexpr Settings::IntKey kKeyVaciarPapelera = check("Form2.CheckVaciarPapelera");
constexpr Settings::IntKey kKeyOpacidad = ModAlpha::opacityKey("HScroll2");
constexpr Settings::PlaceKeys kPlace{{{"Form2_Left"}, 0}, {{"Form2_Top"}, 0}};
// The filter's audio types, "True" or "False"; missing: WAV alone.
constexpr Settings::Key kFilterKeys[5] = {{"Form2.ListFilter.Selected 0"}, {"Form2.ListFilter.Selected 1"},
                                          {"Form2.ListFilter.Selected 2"}, {"Form2.ListFilter.Selected 3"},
                                          {"Form2.ListFilter.Selected 4"}};

bool storedCheck(const Settings::IntKey &key)
{
    return key.value() == 1;
}

// A stored Boolean as the filter writes it ("True"/"False"; a number is
// read as one too).
bool storedBool(const Settings::Key &key, bool defaultValue)
{
    const QString v = key.text().trimmed();
    if (v.isEmpty())
        return defaultValue;
    if (v.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (v.compare(QStringLiteral("false"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const int n = v.toInt(&ok);
    return ok ? n != 0 : defaultValue;
}

Linea::Role roleOf(const QListWidgetItem *item)
{
    return Linea::Role(item->data(Form2::kRoleRole).toInt());
}

QString numero(double mb)
{
    return Asociados::textoMegas(mb);
}

// Letting go of a million elements at once holds the window for a while: in
// pieces, the window's events running between them.
template <typename T>
void releaseInPieces(std::vector<T> &v, Progress &progress)
{
    constexpr size_t kPiece = 16384;
    while (!v.empty()) {
        v.erase(v.end() - std::ptrdiff_t(std::min(v.size(), kPiece)), v.end());
        progress.pump();
    }
    v.shrink_to_fit();
}

} // namespace

Form2 &form2()
{
    const bool fresh = !SingleWindow<Form2>::loaded();
    Form2 &w = SingleWindow<Form2>::get();
    // Loaded once the instance is known: a scan lets events run, and
    // whatever asks for the window meanwhile must find this one.
    if (fresh)
        w.Form_Load();
    return w;
}

void unloadForm2()
{
    if (Form2 *w = SingleWindow<Form2>::find(); w && !w->ocupado())
        w->Salir_Click();
}

namespace {

class Peer final : public Peers::AssociatedFilesWindow
{
public:
    void unloadForm2() override { ::unloadForm2(); }
    void show() override
    {
        Form2 &w = form2();
        w.show();
        w.raise();
    }
};

} // namespace

Peers::AssociatedFilesWindow &form2Peer()
{
    static Peer peer;
    return peer;
}

QString Form2::filterKey(int index)
{
    return kFilterKeys[index].key();
}

// The scan's progress as the window shows it: the bar cycling, the folder
// being walked and the counts, refreshed when the window's events run.
class Form2::ScanProgress final : public Progress
{
public:
    explicit ScanProgress(Form2 &w) : m_w(w) {}
    void setRange(qint64 minimum, qint64 maximum) override { m_w.XP_BarFolder->setRange(int(minimum), int(maximum)); }
    void setValue(qint64 value) override { m_value = int(value); }
    bool cancelled() const override { return false; }
    void setCaption(int slot, const QString &text) override
    {
        switch (slot) {
        case Asociados::InicioRecorrido:
            m_w.LabelTotFolder->show();
            m_w.TextNota->hide();
            m_w.LabelIndice->hide();
            m_w.XP_BarFolder->setValue(1);
            m_w.XP_BarFolder->show();
            m_w.LabelTotal->setWordWrap(false);
            m_w.LabelTotal->setStyleSheet(QStringLiteral("font-weight: normal;"));
            m_w.LabelTotal->show();
            m_w.CheckToolTip->hide();
            m_w.LabelSelec->show();
            break;
        case Asociados::FinRecorrido:
            apply();
            m_w.LabelTotal->setStyleSheet(QStringLiteral("font-weight: bold;"));
            m_w.LabelTotal->hide();
            m_w.CheckToolTip->show();
            break;
        case Asociados::CarpetaActual:
            m_folder = text;
            break;
        case Asociados::CarpetasEncontradas:
            m_found = text;
            break;
        case Asociados::EscaneandoCarpeta:
            m_listing = text;
            break;
        default:
            break;
        }
    }
    void pump() override
    {
        if (m_pumped && !EventPump::isDue(kSliceMs))
            return;
        m_pumped = true;
        apply();
        EventPump::pumpNow();
    }

private:
    // Captions change only when the window can show them: a label that
    // changes text thousands of times a second costs more than the walk.
    void apply()
    {
        if (!m_folder.isNull())
            m_w.LabelTotal->setText(m_folder);
        if (!m_found.isNull())
            m_w.LabelTotFolder->setText(m_found);
        if (!m_listing.isNull())
            m_w.LabelSelec->setText(m_listing);
        m_folder = m_found = m_listing = QString();
        if (m_w.XP_BarFolder->value() != m_value && m_value >= m_w.XP_BarFolder->minimum())
            m_w.XP_BarFolder->setValue(m_value);
    }

    Form2 &m_w;
    QString m_folder, m_found, m_listing;
    int m_value = 1;
    bool m_pumped = false;
};

// A deletion's progress: the window's events every slice of time; nothing
// cancels it (the window offers no cancel).
class Form2::RunProgress final : public Progress
{
public:
    void setRange(qint64, qint64) override {}
    void setValue(qint64) override {}
    bool cancelled() const override { return false; }
    void pump() override
    {
        if (m_pumped && !EventPump::isDue(kSliceMs))
            return;
        m_pumped = true;
        EventPump::pumpNow();
    }

private:
    bool m_pumped = false;
};

Form2::Form2()
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("        Archivos asociados para borrar...si están seleccionados."));
    setWindowFlag(Qt::WindowStaysOnTopHint, true);

    auto check = [this](const char *name, const QString &text, QWidget *parent) {
        auto *c = new QCheckBox(text, parent);
        c->setObjectName(QString::fromLatin1(name));
        return c;
    };
    auto button = [this](const char *name, const QString &text, const QString &tip) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(tip);
        return b;
    };
    auto label = [this](const char *name, const QString &text = QString()) {
        // A folder's path shortens rather than widen the window past the screen.
        auto *l = new FitLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    auto textBox = [this](const char *name, const QString &text, int lines) {
        auto *t = new QPlainTextEdit(text, this);
        t->setObjectName(QString::fromLatin1(name));
        t->setReadOnly(true);
        t->setFrameShape(QFrame::Box);
        t->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        t->setFixedHeight(t->fontMetrics().lineSpacing() * lines + 10);
        return t;
    };

    auto *menu = new QMenuBar(this);
    AudioFilter = menu->addAction(QStringLiteral("Filtros audio"));
    AudioFilter->setObjectName(QStringLiteral("AudioFilter"));

    ListAsociados = new QListWidget(this);
    ListAsociados->setObjectName(QStringLiteral("ListAsociados"));
    ListAsociados->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListAsociados->setUniformItemSizes(true);
    // Laid out a batch of lines at a time, the window's events running
    // between batches: every line added, removed or resized lays the whole
    // list out again, a million lines in one go otherwise.
    ListAsociados->setLayoutMode(QListView::Batched);
    ListAsociados->setBatchSize(2048);
    ListAsociados->setAcceptDrops(true);
    ListAsociados->viewport()->setAcceptDrops(true);
    ListAsociados->viewport()->setMouseTracking(true);
    ListAsociados->installEventFilter(this);
    ListAsociados->viewport()->installEventFilter(this);

    ListSound = new QListWidget(this);
    ListSound->setObjectName(QStringLiteral("ListSound"));
    ListSound->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListSound->hide();

    FrameOpciones = new QGroupBox(QStringLiteral("Opciones de borrado de asociados "), this);
    FrameOpciones->setObjectName(QStringLiteral("FrameOpciones"));
    CheckVaciarPapelera = check("CheckVaciarPapelera", QStringLiteral("Borrar antes la papelera reciclaje"), FrameOpciones);
    CheckBorrarPapelera =
        check("CheckBorrarPapelera", QStringLiteral("Borrar enviando a Papelera Reciclaje"), FrameOpciones);
    CheckConfirmar = check("CheckConfirmar", QStringLiteral("Confirmar antes de borrar"), FrameOpciones);
    auto *frame = new QVBoxLayout(FrameOpciones);
    frame->addWidget(CheckVaciarPapelera);
    frame->addWidget(CheckBorrarPapelera);
    frame->addWidget(CheckConfirmar);

    cmdHecho = button("cmdHecho", QString(),
                      QStringLiteral("Borra solo los seleccionados de la lista. según opciones elegidas."));
    cmdHecho->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    cmdHecho->setIconSize(QSize(32, 32));
    cmdOpciones = button("cmdOpciones", QStringLiteral("Opciones"), QStringLiteral("Abre ventana de opciones de borrado."));
    Salir = button("Salir", QStringLiteral("Salir"), QStringLiteral("Cerrar ventana"));
    CheckToolTip = check("CheckToolTip", QStringLiteral("No ToolTips"), this);

    TextAviso = textBox("TextAviso",
                        QStringLiteral("Los archivos seleccionados para ser borrardos  \r\n"
                                       "al abrir un proyecto VIP donde se utilizaban\r\n"
                                       "Samplitude/Sequoia, los vuelve a generar.\r\n"),
                        3);
    setBack(TextAviso, 0xFFFFC0);
    TextNota = textBox("TextNota", QStringLiteral("Pulsar Ctr+A, para seleccionar todos"), 1);
    TextSound = textBox("TextSound", QStringLiteral("Este archivo no existe, o  no se puede reproducir"), 1);
    TextBorrados = textBox("TextBorrados", kTodosBorrados, 1);

    LabelTotal = label("LabelTotal");
    LabelTotFolder = label("LabelTotFolder");
    LabelSelec = label("LabelSelec");
    LabelIndice = label("LabelIndice", QStringLiteral(" Item: 999  "));
    LabelEstado = label("LabelEstado");
    LabelEstado->setWordWrap(true);
    LabelEstado->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LabelEstado->hide();
    ImageICO = label("ImageICO");
    ImageICO->setFixedSize(36, 36);
    ImageICO->hide();
    Label1 = label("Label1");
    HScroll2 = new QScrollBar(Qt::Horizontal, this);
    HScroll2->setObjectName(QStringLiteral("HScroll2"));
    HScroll2->setRange(ModAlpha::kMinOpacity, 100);
    XP_BarFolder = new QProgressBar(this);
    XP_BarFolder->setObjectName(QStringLiteral("XP_BarFolder"));
    XP_BarFolder->setTextVisible(false);
    XP_BarFolder->setRange(1, 1000);
    XP_BarFolder->hide();
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));

    auto *labels = new QHBoxLayout;
    labels->addWidget(LabelSelec, 1);
    labels->addWidget(LabelIndice);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(ImageICO);
    bottom->addWidget(CheckToolTip);
    bottom->addWidget(new QLabel(QStringLiteral("Transparencia"), this));
    bottom->addWidget(HScroll2, 1);
    bottom->addWidget(Label1);
    bottom->addStretch();
    bottom->addWidget(cmdOpciones);
    bottom->addWidget(cmdHecho);
    bottom->addWidget(Salir);
    auto *box = new QVBoxLayout(this);
    box->setMenuBar(menu);
    box->addWidget(LabelTotal);
    box->addWidget(LabelTotFolder);
    box->addWidget(XP_BarFolder);
    box->addLayout(labels);
    box->addWidget(ListAsociados, 1);
    box->addWidget(TextSound);
    box->addWidget(TextNota);
    box->addWidget(TextBorrados);
    box->addWidget(LabelEstado);
    box->addWidget(TextAviso);
    box->addWidget(FrameOpciones);
    box->addLayout(bottom);

    // The filter floats over the top left corner of the window when shown.
    ListFilter = new QListWidget(this);
    ListFilter->setObjectName(QStringLiteral("ListFilter"));
    ListFilter->setSelectionMode(QAbstractItemView::NoSelection);
    ListFilter->setFixedSize(90, ListFilter->fontMetrics().height() * 5 + 24);

    connect(ListAsociados, &QListWidget::itemClicked, this, [this] { ListAsociados_Click(); });
    connect(ListAsociados, &QListWidget::itemDoubleClicked, this, &Form2::ListAsociados_DblClick);
    connect(ListFilter, &QListWidget::itemChanged, this, [this] {
        if (!SeleccionEnCurso)
            SalvarFiltro();
    });
    connect(cmdHecho, &QPushButton::clicked, this, &Form2::cmdHecho_Click);
    connect(cmdOpciones, &QPushButton::clicked, this, &Form2::cmdOpciones_Click);
    connect(Salir, &QPushButton::clicked, this, &Form2::Salir_Click);
    WindowKeys::closeOnEscape(this, Salir);
    connect(AudioFilter, &QAction::triggered, this, &Form2::AudioFilter_Click);
    connect(CheckToolTip, &QCheckBox::toggled, this, &Form2::CheckToolTip_Click);
    connect(HScroll2, &QScrollBar::valueChanged, this, &Form2::HScroll2_Scroll);
    connect(Timer1, &QTimer::timeout, this, &Form2::Timer1_Timer);
}

Form2::~Form2()
{
    SingleWindow<Form2>::release(this);
}

void Form2::Form_Load()
{
    ModAlpha::setTopmost(this);
    Timer1->stop();
    for (QWidget *w : {static_cast<QWidget *>(LabelSelec), static_cast<QWidget *>(LabelTotal),
                       static_cast<QWidget *>(LabelTotFolder), static_cast<QWidget *>(cmdOpciones),
                       static_cast<QWidget *>(TextAviso)})
        w->hide();
    for (QWidget *w : {TextNota, TextSound, TextBorrados})
        w->hide();
    LabelIndice->hide();
    CheckToolTip->setChecked(storedCheck(kKeyToolTip));
    CheckToolTip_Click();
    CargarFiltro();
    ListFilter->move(7, menuBarHeight());
    ListFilter->raise();
    ListFilter->show();
    FrameOpciones->hide();
    leerOpciones();
    resize(Twips::toPixels(7575), Twips::toPixels(10455));
    // Beside the main window; placed before it is shown.
    WindowPlace::besideMain(this);
    {
        const QSignalBlocker block(HScroll2);
        HScroll2->setValue(kKeyOpacidad.value());
    }
    HScroll2_Scroll();
    if (const Peers::MainWindow *main = Peers::mainWindow(); main && main->projectCount() > 0) {
        show();
        ListFilter->hide();
        HacerLista();
        Peers::MainWindow *now = Peers::mainWindow();
        if (now && General::NumCarpetasAsociados == 0 && !m_closing) {
            now->AvisoMsg(QStringLiteral("No hay archivos asociados en los ")
                              + QString::number(now->projectCount()) + QStringLiteral(" proyectos"),
                          QStringLiteral("Asociados a Proyectos VIP"));
            Salir->show();
        }
    }
}

int Form2::menuBarHeight() const
{
    return layout() && layout()->menuBar() ? layout()->menuBar()->sizeHint().height() : 0;
}

void Form2::leerOpciones()
{
    CheckConfirmar->setChecked(storedCheck(kKeyConfirmar));
    CheckBorrarPapelera->setChecked(storedCheck(kKeyBorrarPapelera));
    CheckVaciarPapelera->setChecked(storedCheck(kKeyVaciarPapelera));
}

void Form2::CargarFiltro()
{
    SeleccionEnCurso = true;
    ListFilter->clear();
    Asociados::Filtro filtro{};
    for (int i = 0; i < 5; ++i) {
        auto *item = new QListWidgetItem(Asociados::tiposAudio()[i], ListFilter);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        filtro[size_t(i)] = storedBool(kFilterKeys[i], i == 0);
        item->setCheckState(filtro[size_t(i)] ? Qt::Checked : Qt::Unchecked);
    }
    // The table follows the filter only here: a change the user makes is
    // saved at once and reaches the table at the next drop or load.
    General::ExtAsociados = Asociados::tabla(filtro);
    SeleccionEnCurso = false;
}

void Form2::SalvarFiltro()
{
    for (int i = 0; i < ListFilter->count() && i < 5; ++i)
        kFilterKeys[i].setText(ListFilter->item(i)->checkState() == Qt::Checked ? QStringLiteral("True")
                                                                                : QStringLiteral("False"));
    Settings::sync();
}

QString Form2::motivoOcupado() const
{
    return Activity::mayStart(Activity::Request::Associated).refusal;
}

void Form2::estado(const QString &text, bool problem)
{
    LabelEstado->setText(text);
    // Dark red on a face of its own: readable under a dark theme too.
    const QColor warning(0xa0, 0, 0);
    LabelEstado->setStyleSheet(problem ? colourSheet(backUnder(warning), warning) : QString());
    LabelEstado->setVisible(!text.isEmpty());
}

QStringList Form2::escanear(const QString &root)
{
    vaciar();
    std::optional<Activity::Token> scanning(std::in_place, Activity::Kind::AssociatedScan);
    ScanProgress progress(*this);
    Asociados::Resultado r = Buscar::BuscarAsociados(root, General::ExtAsociados, progress);
    XP_BarFolder->hide();
    EventPump::pumpNow();
    General::NumCarpetasEscaneadas = r.NumCarpetasEscaneadas;
    General::NumCarpetasAsociados = r.NumCarpetasAsociados;
    General::NumAsociados = r.NumAsociados;
    // The totals from the sizes the scan recorded, before the lines go in:
    // the same text, without reading every line back from the list.
    if (!r.lines.empty())
        TotalesCarpetas(r.lines, progress);

    // The lines go in in slices, the window's events run between them; the
    // index beside the list grows with it.
    QStringList texts;
    texts.reserve(qsizetype(r.lines.size()));
    m_indice.reserve(r.lines.size());
    ListAsociados->setUpdatesEnabled(false);
    for (size_t i = 0; i < r.lines.size(); ++i) {
        Linea &l = r.lines[i];
        texts << l.text;
        auto *item = new QListWidgetItem(l.text);
        item->setData(kRoleRole, int(l.role));
        if (l.role == Linea::File)
            item->setData(kRecordRole, QVariant::fromValue(l.record));
        ListAsociados->addItem(item);
        m_indice.add(l.role, l.record.size);
        if ((i & 63) == 63)
            progress.pump();
    }
    ListAsociados->setUpdatesEnabled(true);
    EventPump::pumpNow();
    // Half a million lines and folders let go at once hold the window.
    releaseInPieces(r.lines, progress);
    releaseInPieces(r.carpetas, progress);
    scanning.reset();

    m_pasadosPorAlto = int(r.pasadosPorAlto.size());
    QStringList notes;
    if (!r.errorRaiz.isEmpty())
        notes << r.errorRaiz;
    if (!r.pasadosPorAlto.isEmpty()) {
        notes << QStringLiteral("Se han pasado por alto %1 archivos asociados cuyo nombre no puede escribirse en "
                                "Windows (no se ofrecen para borrar).")
                     .arg(r.pasadosPorAlto.size());
    }
    if (!r.carpetasIlegibles.isEmpty())
        notes << QStringLiteral("No se han podido leer %1 carpetas: ").arg(r.carpetasIlegibles.size())
                + r.carpetasIlegibles.mid(0, 5).join(QStringLiteral(", "))
                + (r.carpetasIlegibles.size() > 5 ? QStringLiteral(", ...") : QString());
    estado(notes.join(u'\n'), !notes.isEmpty());
    LabelEstado->setToolTip((r.pasadosPorAlto + r.carpetasIlegibles).mid(0, 50).join(u'\n'));
    return texts;
}

void Form2::ajustarAncho(const QStringList &texts)
{
    EventPump::pumpNow();
    // A long list takes a while to measure: events run meanwhile, the window
    // counting as scanning (no drop, deletion or unload comes in between).
    std::optional<Activity::Token> measuring(std::in_place, Activity::Kind::AssociatedScan);
    RunProgress progress;
    const int extent = Module3::AjustarScrollHorizontal(ListAsociados, texts, &progress);
    measuring.reset();
    // Every line has one size (a long list is laid out at once): the width
    // of the widest, so no line is cut and the list scrolls across.
    if (ListAsociados->count() > 0)
        ListAsociados->setGridSize(QSize(extent, ListAsociados->sizeHintForRow(0)));
}

void Form2::TotalesCarpetas(std::vector<Linea> &lines, Progress &progress)
{
    General::TotalMbAsociados = Asociados::totales(lines, QLocale(), &progress);
}

void Form2::vaciar()
{
    m_indice.clear();
    if (ListAsociados->count() > ListPieces::kPiece) {
        // Events run between the pieces: nothing may start on the list, or
        // pull it away, meanwhile.
        const Activity::Token emptying(Activity::Kind::AssociatedScan);
        RunProgress progress;
        ListAsociados->setUpdatesEnabled(false);
        ListAsociados->clearSelection();
        ListPieces::empty(ListAsociados, &progress);
        ListAsociados->setUpdatesEnabled(true);
    }
    ListAsociados->clear();
}

void Form2::HacerLista()
{
    vaciar();
    for (QWidget *w : {static_cast<QWidget *>(LabelTotal), static_cast<QWidget *>(LabelTotFolder),
                       static_cast<QWidget *>(TextNota), static_cast<QWidget *>(TextBorrados)})
        w->hide();
    Peers::MainWindow *main = Peers::mainWindow();
    if (!main || main->projectCount() == 0)
        return;
    if (const QString why = motivoOcupado(); !why.isEmpty()) {
        estado(why, true);
        return;
    }
    const QString root = Buscar::Obtener_Nombre_Path(main->projectLine(0), true);
    main->Iniciar_Clock();
    main->hideClock();
    const QStringList texts = escanear(root);
    main->Lapso();
    LabelTotFolder->setText(QString::number(General::NumCarpetasEscaneadas)
                            + QStringLiteral(" Carpetas escaneadas en un tiempo de : ") + main->tiempo());
    if (ListAsociados->count() > 0) {
        LabelTotal->setText(QString::number(General::NumAsociados) + QStringLiteral(" archivos asociados en  ")
                            + QString::number(General::NumCarpetasAsociados) + QStringLiteral(" Carpetas"));
        m_totalConMb = false;
        LabelTotal->show();
        LabelTotFolder->setText(QStringLiteral("En  ") + QString::number(General::NumCarpetasEscaneadas)
                                + QStringLiteral(" Carpetas escaneadas en un tiempo de : ") + main->tiempo());
        LabelTotFolder->show();
        LabelSelec->hide();
        TextNota->show();
        Salir->show();
        TextAviso->show();
        ajustarAncho(texts);
        Timer1->start(500);
        cmdOpciones->show();
    }
}

void Form2::ListAsociados_OLEDragDrop(const QMimeData *data)
{
    for (QWidget *w : {static_cast<QWidget *>(ListFilter), static_cast<QWidget *>(LabelTotal),
                       static_cast<QWidget *>(LabelIndice), static_cast<QWidget *>(LabelTotFolder),
                       static_cast<QWidget *>(TextBorrados)})
        w->hide();
    int others = 0;
    const QStringList paths = droppedPaths(data, &others);
    if (paths.isEmpty()) {
        if (others > 0)
            estado(QStringLiteral("Solo se pueden soltar carpetas o archivos de este equipo."), true);
        return;
    }
    if (const QString why = motivoOcupado(); !why.isEmpty()) {
        estado(why, true);
        return;
    }
    // Each path replaces the result of the one before: the last one stays.
    for (const QString &path : paths) {
        if (!motivoOcupado().isEmpty())
            return;
        vaciar();
        CargarFiltro();
        // The main window's clock times the scan, its box hidden.
        Peers::MainWindow *main = Peers::mainWindow();
        if (main) {
            main->Iniciar_Clock();
            main->hideClock();
        }
        const QStringList texts = escanear(path);
        if (main)
            main->Lapso();
        const QString tiempo = main ? main->tiempo() : QString();
        LabelTotFolder->setText(QString::number(General::NumCarpetasEscaneadas)
                                + QStringLiteral(" Carpetas escaneadas en un tiempo de : ") + tiempo);
        LabelTotFolder->show();
        if (ListAsociados->count() > 0) {
            LabelTotal->setText(QString::number(General::NumAsociados) + QStringLiteral(" archivos asociados en  ")
                                + QString::number(General::NumCarpetasAsociados) + QStringLiteral(" carpetas  ")
                                + numero(General::TotalMbAsociados) + QStringLiteral(" Mb. total"));
            m_totalConMb = true;
            LabelTotal->show();
            LabelTotFolder->setText(QStringLiteral("En  ") + QString::number(General::NumCarpetasEscaneadas)
                                    + QStringLiteral(" Carpetas escaneadas en un tiempo de : ") + tiempo);
            LabelTotFolder->show();
            LabelSelec->hide();
            TextNota->show();
            Salir->show();
            TextAviso->show();
            leerOpciones();
            ajustarAncho(texts);
            Timer1->start(500);
            cmdOpciones->show();
        }
    }
}

void Form2::Indice::clear()
{
    std::vector<unsigned char>().swap(roles);
    std::vector<qint64>(1, 0).swap(bytesAbove);
}

void Form2::Indice::reserve(size_t rows)
{
    roles.reserve(rows);
    bytesAbove.reserve(rows + 1);
}

void Form2::Indice::add(int role, qint64 size)
{
    roles.push_back((unsigned char)role);
    bytesAbove.push_back(bytesAbove.back() + (role == Linea::File && size > 0 ? size : 0));
}

qint64 Form2::sizeOf(const QListWidgetItem *item)
{
    return roleOf(item) == Linea::File ? item->data(kRecordRole).value<FileRecord>().size : 0;
}

const Form2::Indice &Form2::indice()
{
    const int rows = ListAsociados->count();
    if (!m_indice.covers(rows)) {
        m_indice.clear();
        m_indice.reserve(size_t(rows));
        for (int i = 0; i < rows; ++i)
            m_indice.add(roleOf(ListAsociados->item(i)), sizeOf(ListAsociados->item(i)));
    }
    return m_indice;
}

namespace {

// Runs of rows in order, joined where they meet or overlap: a row is in one.
std::vector<std::pair<int, int>> joined(std::vector<std::pair<int, int>> runs)
{
    std::sort(runs.begin(), runs.end());
    std::vector<std::pair<int, int>> out;
    for (const auto &run : runs) {
        if (!out.empty() && run.first <= out.back().second + 1)
            out.back().second = std::max(out.back().second, run.second);
        else
            out.push_back(run);
    }
    return out;
}

} // namespace

std::vector<std::pair<int, int>> Form2::runsSeleccionados() const
{
    std::vector<std::pair<int, int>> runs;
    for (const QItemSelectionRange &r : ListAsociados->selectionModel()->selection()) {
        if (r.isValid())
            runs.emplace_back(r.top(), r.bottom());
    }
    return joined(std::move(runs));
}

int Form2::seleccionados(qint64 &bytes) const
{
    // Without the index (the list is being emptied or its deleted lines
    // removed, and few lines are selected then) the selected items are read.
    const bool indexed = m_indice.covers(ListAsociados->count());
    int count = 0;
    bytes = 0;
    for (const auto &[first, last] : runsSeleccionados()) {
        count += last - first + 1;
        if (indexed) {
            bytes += m_indice.bytes(first, last);
            continue;
        }
        for (int i = first; i <= last; ++i)
            bytes += std::max<qint64>(0, sizeOf(ListAsociados->item(i)));
    }
    return count;
}

int Form2::ContarSeleccion()
{
    General::TotalMbAsociados = 0;
    qint64 bytes = 0;
    const int count = seleccionados(bytes);
    if (count > 0) {
        LabelSelec->show();
        General::TotalMbAsociados = Asociados::megas(bytes);
        LabelSelec->setText(QString::number(count) + QStringLiteral(" seleccionados  ")
                            + numero(General::TotalMbAsociados) + QStringLiteral(" Mb."));
    }
    return count;
}

void Form2::SeleccionarTodos()
{
    const bool was = SeleccionEnCurso;
    SeleccionEnCurso = true;
    // Every run of file lines, joined with what is selected already, in one
    // selection given at once: line by line, or run by run over the runs
    // selected before, each would be looked up among thousands of others.
    std::vector<std::pair<int, int>> runs = runsSeleccionados();
    const std::vector<unsigned char> &roles = indice().roles;
    const int rows = int(roles.size());
    for (int i = 0; i < rows;) {
        if (roles[size_t(i)] != Linea::File) {
            ++i;
            continue;
        }
        const int first = i;
        while (i < rows && roles[size_t(i)] == Linea::File)
            ++i;
        runs.emplace_back(first, i - 1);
    }
    QItemSelection all;
    const QAbstractItemModel *model = ListAsociados->model();
    for (const auto &[first, last] : joined(std::move(runs)))
        all.select(model->index(first, 0), model->index(last, 0));
    ListAsociados->setUpdatesEnabled(false);
    ListAsociados->selectionModel()->select(all, QItemSelectionModel::ClearAndSelect);
    ListAsociados->setUpdatesEnabled(true);
    SeleccionEnCurso = was;
}

void Form2::ListAsociados_Click()
{
    for (QWidget *w : {TextSound, TextBorrados})
        w->hide();
    ListFilter->hide();
    ImageICO->hide();
    if (SeleccionEnCurso || borrando())
        return;
    if (ContarSeleccion() > 1 || ListAsociados->count() == 0)
        return;
    Peers::player().stop();
    QListWidgetItem *item = ListAsociados->currentItem();
    if (!item)
        return;
    if (roleOf(item) != Linea::File) {
        item->setSelected(false);
        Peers::player().stop();
        ImageICO->hide();
        LabelSelec->hide();
        return;
    }
    const QString line = item->text();
    if (Buscar::Obtener_Extension(line).isEmpty()) {
        TextSound->show();
        return;
    }
    const QString audio = Asociados::audioDe(line, General::ExtAsociados);
    if (audio.isEmpty()) {
        Peers::player().stop();
        ImageICO->hide();
        TextSound->show();
        return;
    }
    // A missing audio file plays nothing and says nothing.
    if (!WinFs::findNormalFile(audio))
        return;
    if (Peers::MainWindow *main = Peers::mainWindow())
        main->PlayAudio(audio);
    Buscar::ICO(audio, ImageICO);
    ImageICO->show();
}

void Form2::ListAsociados_DblClick(QListWidgetItem *item)
{
    ListFilter->hide();
    TextBorrados->hide();
    Peers::player().stop();
    if (!item || borrando())
        return;
    item->setSelected(false);
    if (roleOf(item) != Linea::Header)
        return;
    // The folder's file lines in one selection of their runs: line by line,
    // each line would be looked up among the runs selected before it.
    int count = 0;
    QItemSelection runs;
    const QAbstractItemModel *model = ListAsociados->model();
    const std::vector<unsigned char> &roles = indice().roles;
    const int rows = int(roles.size());
    for (int i = ListAsociados->row(item) + 1; i < rows;) {
        if (roles[size_t(i)] == Linea::Blank) {
            ++i;
            continue;
        }
        if (roles[size_t(i)] == Linea::Header)
            break;
        const int first = i;
        while (i < rows && roles[size_t(i)] == Linea::File)
            ++i;
        runs.select(model->index(first, 0), model->index(i - 1, 0));
        count += i - first;
    }
    ListAsociados->selectionModel()->select(runs, QItemSelectionModel::Select);
    LabelSelec->setText(QStringLiteral("Seleccionados ") + QString::number(count) + QStringLiteral(" archivos"));
    LabelSelec->show();
}

void Form2::ListAsociados_KeyDown(int key, Qt::KeyboardModifiers shift)
{
    if (borrando() || m_entregando)
        return;
    if (key == Qt::Key_A && shift == Qt::ControlModifier) {
        ListFilter->hide();
        TextBorrados->hide();
        SeleccionarTodos();
        General::NumAsociados = ContarSeleccion();
        return;
    }
    if (key != Qt::Key_Insert || ListAsociados->count() <= 1)
        return;
    const bool was = SeleccionEnCurso;
    SeleccionEnCurso = true;
    // Half a million selected lines take a while to read and hand over: the
    // window's events run between pieces, the window counting as scanning
    // (no scan, drop, deletion or unload comes in between) and taking no
    // key meanwhile.
    std::optional<Activity::Token> handing(std::in_place, Activity::Kind::AssociatedScan);
    m_entregando = true;
    RunProgress progress;
    // The selected lines by the selection's runs as they stand now (asking
    // each line whether it is selected looks it up among every run), then
    // none selected.
    const std::vector<unsigned char> &roles = indice().roles;
    QStringList audios;
    int looked = 0;
    for (const auto &[first, last] : runsSeleccionados()) {
        for (int i = first; i <= last; ++i) {
            if ((++looked & 1023) == 0)
                progress.pump();
            if (roles[size_t(i)] != Linea::File)
                continue;
            // Only the "hdp" and "hmp" kinds: each audio file has two
            // associated files, and the player is given it once.
            const QString text = ListAsociados->item(i)->text();
            const QString ext = Buscar::Obtener_Extension(text).toLower();
            if (ext == QStringLiteral("hmp") || ext == QStringLiteral("hdp")) {
                const QString audio = Asociados::audioDe(text, General::ExtAsociados);
                if (!audio.isEmpty())
                    audios << audio;
            }
        }
    }
    ListAsociados->clearSelection();
    ListPieces::fill(ListSound, audios, &progress);
    releaseInPieces(audios, progress);
    m_entregando = false;
    handing.reset();
    SeleccionEnCurso = was;
    Peers::player().stop();
    ImageICO->hide();
    ListSound->selectAll();
    Peers::player().CopiarListas(ListSound, QStringLiteral("Asociados para borrar"));
}

void Form2::ListAsociados_MouseDown(Qt::MouseButton button)
{
    if (button != Qt::RightButton)
        return;
    Peers::player().stop();
    for (QWidget *w : {static_cast<QWidget *>(ImageICO), static_cast<QWidget *>(TextSound),
                       static_cast<QWidget *>(ListFilter), static_cast<QWidget *>(TextBorrados)})
        w->hide();
}

void Form2::ListAsociados_MouseUp()
{
    if (ContarSeleccion() > 1)
        Peers::player().stop();
}

void Form2::ListAsociados_MouseMove(QPoint at)
{
    raise();
    if (!isActiveWindow() && !QApplication::activeModalWidget() && !QApplication::activePopupWidget())
        activateWindow();
    ViewItem(at);
}

void Form2::ViewItem(QPoint at)
{
    if (ListAsociados->count() == 0)
        return;
    // Ctrl+A and Insert then reach the list without a click first.
    ListAsociados->setFocus();
    const QModelIndex index = ListAsociados->indexAt(at);
    if (!index.isValid())
        return;
    LabelIndice->setText(QStringLiteral(" Item: ") + QString::number(index.row() + 1) + QStringLiteral(" "));
    LabelIndice->show();
}

void Form2::cmdOpciones_Click()
{
    ListFilter->hide();
    FrameOpciones->setVisible(FrameOpciones->isHidden());
    if (!FrameOpciones->isHidden()) {
        cmdHecho->show();
        TextBorrados->hide();
    }
}

void Form2::AudioFilter_Click()
{
    ListFilter->setVisible(ListFilter->isHidden());
    if (!ListFilter->isHidden())
        ListFilter->raise();
}

void Form2::CheckToolTip_Click()
{
    ListAsociados->setToolTip(CheckToolTip->isChecked() ? QString() : kAyudaLista);
}

void Form2::HScroll2_Scroll()
{
    ModAlpha::AplicarAlpha(this, HScroll2->value());
    Label1->setText(QString::number(100 - HScroll2->value()));
}

void Form2::Timer1_Timer()
{
    blinkBack(TextAviso);
}

void Form2::cmdHecho_Click()
{
    if (const QString why = motivoOcupado(); !why.isEmpty()) {
        estado(why, true);
        return;
    }
    SeleccionEnCurso = true;
    // Busy from here: a long selection is read with the window's events
    // running between its pieces.
    std::optional<Activity::Token> deleting(std::in_place, Activity::Kind::AssociatedDeletion);
    RunProgress progress;

    // The selected rows, from the selection's runs as they stand now (what
    // is clicked meanwhile changes nothing of this deletion), and the
    // selected file lines, each with the file it was listed with: blank
    // lines and headers are never deleted (they stay, selected).
    const int rows = ListAsociados->count();
    std::vector<char> selected(size_t(rows), 0);
    qsizetype most = 0;
    for (const QItemSelectionRange &r : ListAsociados->selectionModel()->selection()) {
        std::fill(selected.begin() + r.top(), selected.begin() + r.bottom() + 1, 1);
        most += r.height();
    }
    // The items in parts of a few thousand, each with room for all of its
    // own: a vector of a million items that grows moves them all in one
    // stretch, and a deletion makes its report (one result per item) in one
    // stretch at its start.
    constexpr size_t kPart = 8192;
    std::vector<std::vector<Deletion::Item>> parts;
    parts.reserve(size_t(most) / kPart + 1);
    size_t total = 0;
    int count = 0;
    qint64 bytes = 0;
    for (int i = 0; i < rows; ++i) {
        if ((i & 1023) == 1023)
            progress.pump();
        if (!selected[size_t(i)])
            continue;
        ++count;
        const QListWidgetItem *item = ListAsociados->item(i);
        if (roleOf(item) != Linea::File)
            continue;
        const FileRecord record = item->data(kRecordRole).value<FileRecord>();
        if (record.size > 0)
            bytes += record.size;
        if (parts.empty() || parts.back().size() == kPart) {
            parts.emplace_back();
            parts.back().reserve(std::min(kPart, size_t(most) - total));
        }
        parts.back().push_back({i, item->text(), record});
        ++total;
    }
    // What the selection count shows (ContarSeleccion), read once.
    General::NumAsociados = count;
    General::TotalMbAsociados = 0;
    if (count == 0) {
        deleting.reset();
        if (Peers::MainWindow *main = Peers::mainWindow())
            main->AvisoMsg(QStringLiteral("No hay nada seleccionado"), kTitulo);
        SeleccionEnCurso = false;
        return;
    }
    mostrarSeleccion(count, bytes);
    FrameOpciones->hide();
    Peers::MainWindow *main = Peers::mainWindow();
    const bool mainShown = main && main->windowShown();
    if (mainShown)
        main->minimize();
    showMinimized();

    Deletion::Options options;
    options.toTrash = CheckBorrarPapelera->isChecked();
    // The box asks before each file goes to the trash; a deletion for good
    // asks nothing.
    options.confirm = options.toTrash && CheckConfirmar->isChecked();
    options.emptyTrashFirst = CheckVaciarPapelera->isChecked();
    // Deleted for good without force: a read-only file stays; a listed
    // hidden file goes like any other.
    options.keepReadOnly = true;
    options.hiddenCountsAsAbsent = false;
    options.rows = rows;
    Deletion::FileOps realOps;
    Deletion::FileOps &files = m_ops ? *m_ops : realOps;
    std::vector<char> gone(size_t(rows), 0);
    // The parts go one after the other as one deletion would: the trash
    // (when asked) emptied before the first, even with no file to delete;
    // their reports joined in order, the lines of the files never reached
    // last. Each part is let go as soon as it is done with.
    if (parts.empty())
        parts.emplace_back();
    int deleted = 0;
    QStringList problems, notReached;
    bool stopped = false;
    for (size_t p = 0; p < parts.size(); ++p) {
        std::vector<Deletion::Item> &part = parts[p];
        options.emptyTrashFirst = p == 0 && CheckVaciarPapelera->isChecked();
        Deletion::Report report;
        if (!stopped) {
            report = Deletion::run(part, options, files, progress, [&](size_t k, const Deletion::ItemResult &r) {
                if (r.status == Deletion::Status::Deleted)
                    gone[size_t(part[k].row)] = 1;
            });
            deleted += report.deleted;
            // Room for a line per file once there is one: a list of half a
            // million lines that grows moves them all in one stretch.
            if (!report.problems.isEmpty() && problems.capacity() < qsizetype(total) + 1)
                problems.reserve(qsizetype(total) + 1);
            problems += report.problems;
            stopped = report.cancelled || !report.stopped.isEmpty();
        }
        for (size_t k = 0; k < part.size(); ++k) {
            if (report.items.size() <= k || report.items[k].status == Deletion::Status::NotReached)
                notReached << part[k].path + QStringLiteral("  ->  no se ha intentado borrar");
        }
        releaseInPieces(part, progress);
    }

    // A line leaves the list only when its file is really gone. The lines
    // go by rows (nothing else changed the list meanwhile: it is busy), runs
    // of neighbours together in pieces, from the end so the rows above stay
    // put; the window's events run between pieces. The lines that stay
    // selected are selected again afterwards, at once: removing rows under
    // thousands of selected runs moves every one of them.
    ListAsociados->setUpdatesEnabled(false);
    ListAsociados->clearSelection();
    ListPieces::removeRows(ListAsociados, [&](int row) { return bool(gone[size_t(row)]); }, &progress);
    QItemSelection stay;
    const QAbstractItemModel *model = ListAsociados->model();
    for (int i = 0, now = 0; i < rows;) {
        if (gone[size_t(i)]) {
            ++i;
            continue;
        }
        if (!selected[size_t(i)]) {
            ++i;
            ++now;
            continue;
        }
        const int from = now;
        while (i < rows && selected[size_t(i)] && !gone[size_t(i)]) {
            ++i;
            ++now;
        }
        stay.select(model->index(from, 0), model->index(now - 1, 0));
    }
    ListAsociados->selectionModel()->select(stay, QItemSelectionModel::Select);
    ListAsociados->setUpdatesEnabled(true);
    // The outcome is handed over in pieces: the last one's lines let go,
    // this one's taken as they are.
    releaseInPieces(m_outcome.problems, progress);
    m_outcome = Outcome();
    m_outcome.deleted = deleted;
    m_outcome.failed = int(total) - deleted;
    m_outcome.problems = std::move(problems);
    m_outcome.problems += notReached;
    // Every count the window shows is of the list as it is now.
    recontar(progress);

    if (Peers::MainWindow *now = Peers::mainWindow(); mainShown && now)
        now->showNormally();
    showNormal();
    deleting.reset();
    mostrarBorrados();
    SeleccionEnCurso = false;
    Timer1->stop();
}

void Form2::mostrarSeleccion(int count, qint64 bytes)
{
    if (count == 0) {
        LabelSelec->hide();
        return;
    }
    General::TotalMbAsociados = Asociados::megas(bytes);
    LabelSelec->setText(QString::number(count) + QStringLiteral(" seleccionados  ")
                        + numero(General::TotalMbAsociados) + QStringLiteral(" Mb."));
    LabelSelec->show();
}

void Form2::recontar(Progress &progress)
{
    // The index of the lines left, read from the items; then each header's
    // totals of the file lines below it, the window's totals of every
    // header, and the selection's count, from the index.
    const int rows = ListAsociados->count();
    m_indice.clear();
    m_indice.reserve(size_t(rows));
    for (int i = 0; i < rows; ++i) {
        if ((i & 1023) == 1023)
            progress.pump();
        m_indice.add(roleOf(ListAsociados->item(i)), sizeOf(ListAsociados->item(i)));
    }
    const std::vector<unsigned char> &roles = m_indice.roles;
    qint64 files = 0, folders = 0, allBytes = 0;
    for (int i = 0; i < rows;) {
        if (roles[size_t(i)] != Linea::Header) {
            // A file line before any header (none is written so).
            if (roles[size_t(i)] == Linea::File) {
                ++files;
                allBytes += m_indice.bytes(i, i);
            }
            ++i;
            continue;
        }
        int first = i + 1;
        while (first < rows && roles[size_t(first)] == Linea::Blank)
            ++first;
        int end = first;
        while (end < rows && roles[size_t(end)] == Linea::File)
            ++end;
        const qint64 n = end - first;
        const qint64 blockBytes = n > 0 ? m_indice.bytes(first, end - 1) : 0;
        // The totals stand after the folder's path, after its last " - ".
        QListWidgetItem *item = ListAsociados->item(i);
        const QString text = item->text();
        const qsizetype cut = text.lastIndexOf(QStringLiteral(" - "));
        if (cut > 0) {
            const QString now = text.left(cut) + QStringLiteral(" - ") + QString::number(n)
                + QStringLiteral(" archivos  ") + numero(Asociados::megas(blockBytes)) + QStringLiteral(" Mb. total");
            if (now != text)
                item->setText(now);
        }
        files += n;
        allBytes += blockBytes;
        folders += n > 0;
        i = end;
        progress.pump();
    }
    qint64 selectedBytes = 0;
    const int selectedCount = seleccionados(selectedBytes);
    General::NumAsociados = selectedCount;
    mostrarSeleccion(selectedCount, selectedBytes);
    General::NumCarpetasAsociados = folders;
    if (!LabelTotal->isHidden()) {
        LabelTotal->setText(QString::number(files) + QStringLiteral(" archivos asociados en  ") + QString::number(folders)
                            + (m_totalConMb ? QStringLiteral(" carpetas  ") + numero(Asociados::megas(allBytes))
                                                  + QStringLiteral(" Mb. total")
                                            : QStringLiteral(" Carpetas")));
    }
}

void Form2::mostrarBorrados()
{
    if (m_outcome.failed == 0) {
        TextBorrados->setPlainText(kTodosBorrados);
        estado(QString(), false);
    } else {
        TextBorrados->setPlainText(QStringLiteral("Borrados: %1    Fallidos: %2")
                                       .arg(m_outcome.deleted)
                                       .arg(m_outcome.failed));
        QStringList shown = m_outcome.problems.mid(0, 20);
        if (m_outcome.problems.size() > 20)
            shown << QStringLiteral("... y %1 más").arg(m_outcome.problems.size() - 20);
        estado(QStringLiteral("No se han podido borrar:\n") + shown.join(u'\n'), true);
        LabelEstado->setToolTip(m_outcome.problems.mid(0, 200).join(u'\n'));
    }
    TextBorrados->show();
}

void Form2::SalvarOpciones()
{
    Peers::player().stop();
    WindowPlace::save(this, kPlace);
    const auto value = [](const QCheckBox *c) { return c->isChecked() ? 1 : 0; };
    kKeyConfirmar.setValue(value(CheckConfirmar));
    kKeyBorrarPapelera.setValue(value(CheckBorrarPapelera));
    kKeyVaciarPapelera.setValue(value(CheckVaciarPapelera));
    kKeyToolTip.setValue(value(CheckToolTip));
    kKeyOpacidad.setValue(HScroll2->value());
    Settings::sync();
}

void Form2::Salir_Click()
{
    close();
}

void Form2::closeEvent(QCloseEvent *event)
{
    // A scan or a deletion walks this window's list: it cannot go under them.
    if (ocupado()) {
        event->ignore();
        return;
    }
    event->accept();
    if (m_closing)
        return;
    m_closing = true;
    SalvarOpciones();
    Timer1->stop();
    // A long list and a long report are let go before the window, in
    // pieces: deleted with the window, they would hold the program for a
    // while. The window is no longer the program's one, and hidden,
    // meanwhile.
    SingleWindow<Form2>::release(this);
    hide();
    {
        const Activity::Token closing(Activity::Kind::AssociatedScan);
        RunProgress progress;
        vaciar();
        releaseInPieces(m_outcome.problems, progress);
    }
    SingleWindow<Form2>::discard(this);
}

bool Form2::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ListAsociados && event->type() == QEvent::KeyPress) {
        auto *e = static_cast<QKeyEvent *>(event);
        // The list's own Ctrl+A would select the headers and blank lines too.
        if (e->key() == Qt::Key_A && (e->modifiers() & Qt::ControlModifier)) {
            ListAsociados_KeyDown(e->key(), e->modifiers());
            return true;
        }
        if (e->key() == Qt::Key_Insert) {
            ListAsociados_KeyDown(e->key(), e->modifiers());
            return true;
        }
    }
    if (watched == ListAsociados->viewport()) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto *e = static_cast<QDropEvent *>(event);
            if (!e->mimeData()->hasUrls() || ocupado()) {
                e->ignore();
                return true;
            }
            e->setDropAction(Qt::CopyAction);
            e->accept();
            return true;
        }
        case QEvent::Drop: {
            takeDropAfterDrag(static_cast<QDropEvent *>(event), this,
                              [this](const QMimeData *data) { ListAsociados_OLEDragDrop(data); });
            return true;
        }
        case QEvent::MouseButtonPress:
            ListAsociados_MouseDown(static_cast<QMouseEvent *>(event)->button());
            break;
        case QEvent::MouseButtonRelease:
            // After the list has taken the click (the selection is the new one).
            QTimer::singleShot(0, this, [this] { ListAsociados_MouseUp(); });
            break;
        case QEvent::MouseMove:
            ListAsociados_MouseMove(static_cast<QMouseEvent *>(event)->position().toPoint());
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}
