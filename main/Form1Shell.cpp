#include "main/Form1.h"

#include "main/FolderLists.h"
#include "main/Peers.h"
#include "platform/DriveMap.h"
#include "platform/Settings.h"
#include "platform/Twips.h"
#include "platform/WinFs.h"
#include "services/CuadroMensaje.h"
#include "services/ModAlpha.h"
#include "services/Module2.h"
#include "services/ModuleVersion.h"
#include "services/WindowPlace.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

#include <cstdio>
#include <unistd.h>

namespace {

std::function<void()> &endProcess()
{
    // Ends at once: no other window's close handler runs (they would store
    // their settings over what shut-down has just written) and a running
    // analysis does not go on.
    static std::function<void()> end = [] {
        std::fflush(nullptr);
        ::_exit(0);
    };
    return end;
}

// The window's settings. Each option box's caption is its own key.
constexpr Settings::IntKey kVolumen{{"Volumen"}, 0, 0, 100}; // the player's, for its next load
constexpr Settings::PlaceKeys kPlace{{{"Form1_Left"}, 0}, {{"Form1_Top"}, 0}};
// Below the bar's own minimum a stored value is taken as the bar's minimum.
constexpr Settings::IntKey kOpacity = ModAlpha::opacityKey("HScroll1", 0);

QString flag(const QCheckBox *box)
{
    return box->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

void Form1::setEndProcess(std::function<void()> end)
{
    endProcess() = end ? std::move(end) : [] {
        std::fflush(nullptr);
        ::_exit(0);
    };
}

void Form1::connectShell()
{
    connect(CheckToolTips, &QCheckBox::clicked, this, [this] { CheckToolTips_Click(); });
    connect(CheckDragDrop, &QCheckBox::clicked, this, [this] { CheckDragDrop_Click(); });
    connect(CheckLogo, &QCheckBox::clicked, this, [this] { CheckLogo_Click(); });
    connect(CheckPlayer, &QCheckBox::clicked, this, [this] { CheckPlayer_Click(); });
    connect(HScroll1, &QScrollBar::valueChanged, this, [this] { HScroll1_Scroll(); });
    connect(cmdPlayer, &QPushButton::clicked, this, [this] { cmdPlayer_Click(); });
    connect(Salir, &QPushButton::clicked, this, [this] { GuardarYSalir(); });
}

void Form1::SalvarToolTips()
{
    ToolTips[0] = QStringLiteral("Clic bot.iqz. reproduce archivo clicado, bot. dcho. Stop. Pulsar tecla <Ins> para "
                                 "copiar todos los seleccionados al Player ");
    ToolTips[1] = QStringLiteral("Lista de proyectos en la Carpeta, doble clic en un item, descodifica ese proyecto");
    ToolTips[2] = QStringLiteral("Clic bot.iqz. reproduce archivo clicado, bot. dcho. Stop. Doble clic en item de VIP, "
                                 "selecciona todos los archivos de ese VIP ");
    ToolTips[3] = QStringLiteral("Clic bot.iqz. reproduce archivo clicado, bot. dcho. Stop. Pulsar tecla <Ins> para "
                                 "copiar todos los seleccionados al Player");
}

void Form1::PonerToolTips()
{
    ListVip->setToolTip(ToolTips[0]);
    ListProyectos->setToolTip(ToolTips[1]);
    ListUtilizados->setToolTip(ToolTips[2]);
    ListBorrar->setToolTip(ToolTips[3]);
}

void Form1::CheckToolTips_Click()
{
    if (CheckToolTips->isChecked()) {
        PonerToolTips();
        return;
    }
    for (QListWidget *l : {ListVip, ListProyectos, ListUtilizados, ListBorrar})
        l->setToolTip(QString());
}

void Form1::CheckDragDrop_Click()
{
    ListProyectosInfo->setVisible(CheckDragDrop->isChecked());
}

void Form1::CheckLogo_Click()
{
    if (ListVip->count() + ListUtilizados->count() + ListProyectos->count() + ListBorrar->count() == 0)
        ShowIco->setVisible(CheckLogo->isChecked());
}

void Form1::placePlayer()
{
    Peers::player().toStoredPlace();
}

void Form1::CheckPlayer_Click()
{
    placePlayer();
}

void Form1::HScroll1_Scroll()
{
    const int value = HScroll1->value();
    ModAlpha::AplicarAlpha(this, value);
    Label1->setText(QStringLiteral("Transparencia ") + QString::number(100 - value));
}

void Form1::cmdPlayer_Click()
{
    if (!Activity::mayStart(Activity::Request::ListCommand))
        return;
    Peers::player().toggleVisible();
    kVolumen.setValue(Peers::player().volume());
}

void Form1::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space) {
        Peers::player().stop();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void Form1::mouseDoubleClickEvent(QMouseEvent *event)
{
    Q_UNUSED(event);
    // The screen's corner, title bar included.
    WindowPlace::place(this, QPoint(0, 0));
    TextDecode->hide();
    if (Peers::player().isVisible()) {
        CheckPlayer_Click();
        Peers::player().focus();
    }
}

void Form1::mousePressEvent(QMouseEvent *event)
{
    if (Peers::player().isVisible())
        Peers::player().focus();
    QMainWindow::mousePressEvent(event);
}

void Form1::closeEvent(QCloseEvent *event)
{
    event->accept();
    GuardarYSalir();
}

QString Form1::commandLinePath(const QStringList &arguments)
{
    QString text = arguments.join(u' ');
    text.remove(u'"');
    if (text.isEmpty())
        return text;
    // A drive path is kept as given; any other is a host path, relative to
    // the folder the program was started in.
    const bool drivePath = text.size() >= 2 && text[1] == u':' && text[0].isLetter();
    if (!drivePath)
        return DriveMap::instance().toWindows(QFileInfo(text).absoluteFilePath());
    return text;
}

void Form1::Form_Load(const QStringList &arguments)
{
    // The option boxes, each under its own caption; a value that is not 0
    // or 1 keeps the design value.
    const auto restore = [](QCheckBox *box) {
        const int v = Settings::getInt(box->text(), box->isChecked() ? 1 : 0, 0, 1);
        box->setChecked(v == 1);
    };
    restore(CheckToolTips);
    if (CheckToolTips->isChecked()) {
        SalvarToolTips();
        PonerToolTips();
    }
    restore(CheckPlayer);
    restore(CheckBAK);
    restore(CheckDragDrop);
    restore(CheckLogo);

    ListProyectosInfo->setVisible(CheckDragDrop->isChecked());
    ShowIco->setVisible(CheckLogo->isChecked());

    // At (200, 200) twips, placed before it is shown so that the window
    // manager frames it there, and inside the screen's free area: smaller
    // than its design size on a small screen. Placed first: the player goes
    // beside it when no place of its own is stored.
    WindowPlace::place(this, QPoint(Twips::toPixels(200), Twips::toPixels(200)));

    // A fresh profile stores no volume: the player keeps its own, so the
    // first audition is heard.
    if (kVolumen.stored())
        Peers::player().setVolume(kVolumen.value());
    placePlayer();

    cmdPerdidos->hide();
    ListUtilizados->clear();
    if (Peers::player().isVisible())
        Peers::player().toggleVisible();
    SalvarToolTips();
    SalvaListados->setVisible(false);
    Actualizar = false;

    show();

    // A value outside 0..100 or not a number (a hand-edited file) would
    // leave an invisible window: the default is taken instead.
    HScroll1->setValue(kOpacity.value());
    HScroll1_Scroll();

    if (FolderLists::TotalCarpetasBusca.value() == 0) {
        AvisoMsg(QStringLiteral("No hay ninguna carpeta de disco seleccionada para la búsqueda de archivos.\r\n\r\n"
                                "Esto hace que al clicar un item de audio de las listas\r\n"
                                "el programa no pueda buscar audios desubicados."),
                 QStringLiteral("Configuración"));
        CarpetasBuscar_Click();
    }

    m_Item = -1;

    const QString path = commandLinePath(arguments);
    if (!CheckBAK->isChecked() && path.contains(QStringLiteral("_BAK"))) {
        AvisoMsg(QStringLiteral("Este es un proyecto BAK y no se procesará"), QStringLiteral("Proyectos Vip's"));
        return;
    }
    if (!path.isEmpty())
        CarpetaCommandLine(path);

    setWindowTitle(QStringLiteral("    Velmar    v")
                   + ModuleVersion::VersionArchivo(QCoreApplication::applicationFilePath()));
}

void Form1::CarpetaCommandLine(const QString &path)
{
    // What cannot be analysed is said before anything is asked.
    if (DriveMap::instance().toHost(path).isEmpty()) {
        AvisoMsg(QStringLiteral("La ruta no está en ninguna unidad disponible:\r\n") + path,
                 QStringLiteral("Descodificar Vip"));
        return;
    }
    const WinFs::FileStat st = WinFs::statPath(path);
    if (!st.exists) {
        AvisoMsg(QStringLiteral("No se encuentra la ruta:\r\n") + path, QStringLiteral("Descodificar Vip"));
        return;
    }
    if (!st.isDir && !(st.isFile && path.right(4).toLower() == QStringLiteral(".vip"))) {
        AvisoMsg(QStringLiteral("No es un proyecto Vip ni una carpeta:\r\n") + path,
                 QStringLiteral("Descodificar Vip"));
        return;
    }
    const bool project = path.contains(QStringLiteral(".vip")) || path.contains(QStringLiteral(".VIP"));
    Module2::TextoCuadro = (project ? QStringLiteral("Descodificar el proyecto...")
                                    : QStringLiteral("Descodificar la carpeta..."))
        + path;
    CuadroMensaje &box = Module2::createCuadro(this);
    box.setPresentation(5, 5);
    box.addButton(0, QStringLiteral("Descodificar"));
    box.addButton(1, QStringLiteral("Cancelar"));
    Module2::RespuestaCuadro = box.showAndWait(Module2::TextoCuadro, QStringLiteral("Descodificar Vip"), mainLook());
    Module2::releaseCuadro();
    if (Module2::RespuestaCuadro == 0)
        AbrirRuta(path);
}

void Form1::GuardarYSalir()
{
    // The player's own settings first, as it has them now: reloading it
    // afterwards (in the middle of an analysis, say) could give its design
    // values instead of the user's.
    const std::optional<Peers::PlayerState> player = Peers::player().state();
    Peers::player().unloadFormMedia();

    WindowPlace::save(this, kPlace);
    for (const QCheckBox *box : {CheckDragDrop, CheckToolTips, CheckPlayer, CheckBAK, CheckLogo})
        Settings::set(box->text(), flag(box));
    if (!player && Peers::PlayerKeys::Volumen.stored()) {
        // The player stored its own volume when it was last unloaded; the
        // next start-up gives it this one, as it was stored.
        kVolumen.setText(Peers::PlayerKeys::Volumen.text());
    }
    if (player) {
        kVolumen.setValue(player->volume);
        Peers::PlayerKeys::ToolTip.setValue(player->checkToolTip);
        Peers::PlayerKeys::Place.left.setValue(player->leftTwips);
        Peers::PlayerKeys::Place.top.setValue(player->topTwips);
    }
    kOpacity.setValue(HScroll1->value());
    if (!Settings::sync()) {
        // The user is told before the program ends: the next start would
        // otherwise come up with old options without a word.
        std::fprintf(stderr, "velmar: no se han podido guardar los ajustes\n");
        AvisoMsg(QStringLiteral("No se han podido guardar los ajustes del programa."), QStringLiteral("Ajustes"));
    }
    endProcess()();
}
