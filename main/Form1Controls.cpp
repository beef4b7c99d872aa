// The main window's controls, built by area, and where they stand.

#include "main/Form1.h"

#include "main/Peers.h"
#include "services/ModAlpha.h"
#include "services/Module3Ui.h"
#include "services/FitLabel.h"
#include "services/Pictures.h"
#include "services/WinColor.h"
#include "services/WindowPlace.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// A control named as the program names it (tests find it by that name).
template <typename W>
W *named(W *control, const char *name)
{
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

QListWidget *resultList(QWidget *parent, const char *name)
{
    auto *l = named(new QListWidget(parent), name);
    l->setSelectionMode(QAbstractItemView::ExtendedSelection);
    l->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    l->setUniformItemSizes(true);
    return l;
}

QPushButton *command(QWidget *parent, const char *name, const QString &text, const QString &tip)
{
    auto *b = named(new QPushButton(text, parent), name);
    b->setToolTip(tip);
    return b;
}

// A control that hides leaves its place empty: the others stay put.
void keepPlaceWhenHidden(QWidget *w)
{
    QSizePolicy policy = w->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    w->setSizePolicy(policy);
    // A label keeps a line's height even before it first holds a text.
    if (qobject_cast<QLabel *>(w))
        w->setMinimumHeight(std::max(w->minimumHeight(), w->fontMetrics().height()));
}

// An option box: its caption is its settings key.
QCheckBox *option(QWidget *parent, const char *name, const QString &caption, bool design, const QString &tip)
{
    auto *c = named(new QCheckBox(caption, parent), name);
    c->setChecked(design);
    c->setToolTip(tip);
    return c;
}

// The logo: the program's picture and its name, in the window's colours.
QPixmap logo(const QWidget *w)
{
    QFont font = w->font();
    font.setPointSizeF(font.pointSizeF() * 1.8);
    font.setBold(true);
    const QString name = QStringLiteral("Velmar");
    const QFontMetrics fm(font);
    const int side = fm.height();
    const qreal dpr = w->devicePixelRatioF();
    QPixmap pm(QSize(side + 6 + fm.horizontalAdvance(name), side) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    picture(w, QStringLiteral("audio-x-generic"), QStyle::SP_MediaVolume).paint(&p, QRect(0, 0, side, side));
    p.setFont(font);
    p.setPen(w->palette().color(QPalette::WindowText));
    p.drawText(QRect(side + 6, 0, fm.horizontalAdvance(name) + 1, side), Qt::AlignVCenter, name);
    return pm;
}

} // namespace

void Form1::buildControls()
{
    auto *central = new QWidget(this);
    setCentralWidget(central);
    buildLists(central);
    buildStatus(central);
    buildCommands(central);
    buildMenus();
    layOut(central);
    // The other windows open beside this one, off its commands.
    WindowPlace::setMainWindow(this, [this] { return commandsArea(); });
    // The design size; a smaller screen gets a smaller window (placed by
    // Form_Load), down to what the lists can shrink to.
    resize(1180, 760);

    connect(AbrirFichero, &QPushButton::clicked, this, [this] { AbrirFichero_Click(); });
    connect(cmdCancelar, &QPushButton::clicked, this, [this] { cmdCancelar_Click(); });
    connect(cmdReset, &QPushButton::clicked, this, [this] { cmdReset_Click(); });
    connect(cmdPerdidos, &QPushButton::clicked, this, [this] { cmdPerdidos_Click(); });
    connect(CommandBorrado, &QPushButton::clicked, this, [this] { CommandBorrado_Click(); });
    connect(cmdAsociados, &QPushButton::clicked, this, [this] { cmdAsociados_Click(); });
    connect(CarpetasBuscar, &QAction::triggered, this, [this] { CarpetasBuscar_Click(); });
    connect(CarpetasNoBorrar, &QAction::triggered, this, [this] { CarpetasNoBorrar_Click(); });
    connect(RecuperaBorrados, &QAction::triggered, this, [] { Peers::restore().show(); });
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    connectProjectList();
    connectShell();
    connectAudition();
    connectLists();
}

void Form1::buildLists(QWidget *central)
{
    ListProyectos = resultList(central, "ListProyectos");
    ListVip = resultList(central, "ListVip");
    ListUtilizados = resultList(central, "ListUtilizados");
    ListBorrar = resultList(central, "ListBorrar");
    // The two caption lines over each list; a click shows the whole path.
    const auto caption = [&](const QString &name) {
        // A long path shortens rather than widen the window past the screen.
        auto *l = new FitLabel(central);
        l->setObjectName(name);
        l->setToolTip(QStringLiteral("Clic On/Off para ver el Path completo"));
        l->setTextInteractionFlags(Qt::NoTextInteraction);
        l->installEventFilter(this);
        l->hide();
        return l;
    };
    for (int i = 0; i < 2; ++i) {
        LabelCheck[i] = caption(QStringLiteral("LabelCheck_%1").arg(i));
        LabelCount[i] = caption(QStringLiteral("LabelCount_%1").arg(i));
        LabelAdd[i] = caption(QStringLiteral("LabelAdd_%1").arg(i));
        LabelErase[i] = caption(QStringLiteral("LabelErase_%1").arg(i));
    }
    for (int i = 0; i < 4; ++i) {
        auto *t = new QLineEdit(QString::number(i + 1), central);
        t->setObjectName(QStringLiteral("TextNum1_%1").arg(i));
        t->setReadOnly(true);
        t->setAlignment(Qt::AlignCenter);
        t->setFixedWidth(26);
        t->setFocusPolicy(Qt::NoFocus);
        TextNum1[i] = t;
    }

    ListPath = resultList(central, "ListPath");
    ListPath->setToolTip(QStringLiteral("Clic para ocultar esta información"));
    Module3::keepLineAboveScrollBar(ListPath);
    ListPath->hide();
    ListPath->installEventFilter(this);
    ListProyectosInfo = resultList(central, "ListProyectosInfo");
    ListProyectosInfo->setStyleSheet(QStringLiteral("QListWidget { %1 }").arg(colourSheet(QColor(0xff, 0xff, 0xe8))));
    ListProyectosInfo->hide();

    // The notice says "drag here": a drop on it is a drop on the list.
    for (QListWidget *target : {ListProyectos, ListProyectosInfo}) {
        target->setAcceptDrops(true);
        target->viewport()->setAcceptDrops(true);
        target->viewport()->installEventFilter(this);
    }
}

void Form1::buildStatus(QWidget *central)
{
    LabelAviso = named(new QLabel(central), "LabelAviso");
    // Dark red on a face of its own: readable under a dark theme too.
    const QColor warning(0xa0, 0, 0);
    LabelAviso->setStyleSheet(QStringLiteral("font-weight: bold; ") + colourSheet(backUnder(warning), warning));
    LabelAviso->hide();
    LabelIndice = named(new QLabel(central), "LabelIndice");
    LabelIndice->hide();
    LabelSelec = named(new QLabel(central), "LabelSelec");
    LabelSelec->hide();
    LabelTime = named(new QLabel(QStringLiteral("Tiempo invertido"), central), "LabelTime");
    LabelTime->hide();
    TextLapsoTotal = named(new QLineEdit(central), "TextLapsoTotal");
    TextLapsoTotal->setToolTip(QStringLiteral("Visualiza el tiempo total invertido"));
    TextLapsoTotal->setReadOnly(true);
    TextLapsoTotal->setFixedWidth(110);
    TextLapsoTotal->hide();

    TextDecode = named(new QPlainTextEdit(central), "TextDecode");
    TextDecode->setToolTip(QStringLiteral("Clic para ocultar"));
    TextDecode->setReadOnly(true);
    TextDecode->setFrameShape(QFrame::Box);
    TextDecode->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    TextDecode->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    TextDecode->viewport()->installEventFilter(this);
    TextDecode->hide();

    ShowIco = named(new QLabel(central), "ShowIco");
    ShowIco->setPixmap(logo(central));
    ImageICO = named(new QLabel(central), "ImageICO");
    ImageICO->setFixedSize(34, 34);
    // Beside the path line: a project, or an audio file.
    ImageIcon = named(new QLabel(central), "ImageIcon");
    ImageIcon->setPixmap(picture(central, QStringLiteral("text-x-generic"), QStyle::SP_FileIcon).pixmap(22, 22));
    ImageIcon->hide();
    ImageSound = named(new QLabel(central), "ImageSound");
    ImageSound->setPixmap(picture(central, QStringLiteral("audio-x-generic"), QStyle::SP_MediaVolume).pixmap(22, 22));
    ImageSound->hide();
    Shape1 = named(new QLabel(central), "Shape1");
    Shape1->hide();

    XP_ProgressBar1 = named(new QProgressBar(central), "XP_ProgressBar1");
    XP_ProgressBar1->setTextVisible(false);
    XP_ProgressBar1->setFixedHeight(14);
    XP_ProgressBar1->hide();

    Timer1 = named(new QTimer(this), "Timer1");
}

void Form1::buildCommands(QWidget *central)
{
    AbrirFichero = command(central, "AbrirFichero", QStringLiteral("Abrir proyecto VIP"),
                           QStringLiteral("Abrir proyecto VIP"));
    cmdCancelar = command(central, "cmdCancelar", QStringLiteral("Cancelar"),
                          QStringLiteral("Cancelar descodificación en curso."));
    cmdCancelar->hide();
    cmdReset = command(central, "cmdReset", QStringLiteral("Reset"), QStringLiteral("Resetea todos los datos. "));
    cmdPerdidos = command(central, "cmdPerdidos", QStringLiteral("Archivos perdidos"),
                          QStringLiteral("Ver la lista de archivos perdidos"));
    cmdPerdidos->hide();
    CommandBorrado = command(central, "CommandBorrado", QStringLiteral("Borrar no utilizados"),
                             QStringLiteral("Borrar archivos inútiles, en la ventana emergente, se puede optar a "
                                            "varias opciones"));
    CommandBorrado->hide();
    cmdAsociados = command(central, "cmdAsociados", QStringLiteral("Asociados"),
                           QStringLiteral("Borrar archivos asociados"));

    CheckToolTips = option(central, "CheckToolTips", QStringLiteral("Ver tooltips de listas"), true,
                           QStringLiteral("Ver o no, los tooltips de las 4 listas"));
    CheckPlayer = option(central, "CheckPlayer", QStringLiteral("Player automático"), false,
                         QStringLiteral("Activado, al clicar en cualquira de  listas con archivos de audio, aparece "
                                        "el Player."));
    CheckBAK = option(central, "CheckBAK", QStringLiteral("Incluir Vip_BAK"), false,
                      QStringLiteral("Si está activado incluye los backup de Vip's (no influye en Drag&Drop a lista "
                                     "3)"));
    CheckDragDrop = option(central, "CheckDragDrop", QStringLiteral("Ver Info al inicio"), true,
                           QStringLiteral("Si está activado saldrá ventana de Info al inicio"));
    CheckLogo = option(central, "CheckLogo", QStringLiteral("Ver Logo al inicio"), true,
                       QStringLiteral("Si está activado saldrá Logo al inicio"));

    HScroll1 = named(new QScrollBar(Qt::Horizontal, central), "HScroll1");
    HScroll1->setRange(ModAlpha::kMinOpacity, 100);
    HScroll1->setValue(100);
    Label1 = named(new QLabel(QStringLiteral("Transparencia"), central), "Label1");

    cmdPlayer = command(central, "cmdPlayer", QStringLiteral("Player"), QStringLiteral("Player"));
    cmdPlayer->setIcon(picture(central, QStringLiteral("multimedia-player"), QStyle::SP_MediaPlay));
    Salir = command(central, "Salir", QStringLiteral("Salir"), QStringLiteral("Cerrar la aplicación"));
}

void Form1::buildMenus()
{
    auto *configurar = named(menuBar()->addMenu(QStringLiteral("&Configurar")), "Configurar");
    CarpetasBuscar = named(configurar->addAction(QStringLiteral("Carpetas buscar...")), "CarpetasBuscar");
    CarpetasNoBorrar = named(configurar->addAction(QStringLiteral("Carpetas no borrar")), "CarpetasNoBorrar");
    RecuperaBorrados = named(menuBar()->addAction(QStringLiteral("RecuperaBorrados")), "RecuperaBorrados");
    SalvaListados = named(menuBar()->addAction(QStringLiteral("SalvaListados")), "SalvaListados");
    SalvaListados->setVisible(false);
    About = named(menuBar()->addAction(QStringLiteral("Acerca de...")), "About");
}

void Form1::layOut(QWidget *central)
{
    // Commands on the left, two to a row so that the column fits a low
    // screen (1920×1080 at scale 2); the four lists in a grid; status below.
    // A control that hides keeps its place, so nothing moves under the mouse
    // (a click after a run lands on the button it was aimed at); only the
    // status lines below the lists take room as they come and go, and the
    // lists shrink for them.
    auto *commands = named(new QWidget(central), "Comandos");
    auto *side = new QGridLayout(commands);
    side->setContentsMargins(0, 0, 0, 0);
    side->setVerticalSpacing(4);
    int row = 0;
    const auto pair = [&](QWidget *left, QWidget *right) {
        side->addWidget(left, row, 0);
        if (right)
            side->addWidget(right, row, 1);
        ++row;
    };
    const auto whole = [&](QWidget *w) { side->addWidget(w, row++, 0, 1, 2); };
    const auto space = [&](int height) { side->setRowMinimumHeight(row++, height); };
    // The commands that are always there first, those of a run below them.
    pair(ShowIco, ImageICO);
    pair(AbrirFichero, cmdReset);
    pair(cmdAsociados, cmdPlayer);
    pair(CommandBorrado, cmdPerdidos);
    whole(cmdCancelar);
    space(6);
    for (QWidget *w : std::initializer_list<QWidget *>{CheckToolTips, CheckPlayer, CheckBAK, CheckDragDrop, CheckLogo})
        whole(w);
    space(6);
    whole(Label1);
    whole(HScroll1);
    side->setRowStretch(row++, 1);
    pair(LabelTime, TextLapsoTotal);
    space(4);
    whole(Salir);
    for (int i = 0; i < side->count(); ++i)
        if (QWidget *w = side->itemAt(i)->widget())
            keepPlaceWhenHidden(w);
    ImageICO->setAlignment(Qt::AlignCenter);

    const auto block = [&](QLineEdit *num, std::array<QLabel *, 2> &labels, QListWidget *lst) {
        auto *v = new QVBoxLayout;
        auto *head = new QHBoxLayout;
        head->addWidget(num);
        head->addWidget(labels[0], 1);
        v->addLayout(head);
        v->addWidget(labels[1]);
        for (QLabel *l : labels)
            keepPlaceWhenHidden(l);
        // Low enough for the window to fit a low screen with the status
        // lines shown.
        lst->setMinimumSize(120, 48);
        if (lst == ListProyectos) {
            // The drag-and-drop notice lies over the project list until it
            // is clicked away.
            auto *stack = new QGridLayout;
            stack->addWidget(lst, 0, 0);
            stack->addWidget(ListProyectosInfo, 0, 0);
            ListProyectosInfo->setMinimumSize(lst->minimumSize());
            v->addLayout(stack, 1);
        } else {
            v->addWidget(lst, 1);
        }
        return v;
    };
    auto *grid = new QGridLayout;
    grid->addLayout(block(TextNum1[0], LabelCheck, ListProyectos), 0, 0);
    grid->addLayout(block(TextNum1[1], LabelCount, ListVip), 0, 1);
    grid->addLayout(block(TextNum1[2], LabelAdd, ListUtilizados), 1, 0);
    grid->addLayout(block(TextNum1[3], LabelErase, ListBorrar), 1, 1);
    grid->setRowStretch(0, 2);
    grid->setRowStretch(1, 3);

    auto *mainCol = new QVBoxLayout;
    mainCol->addLayout(grid, 1);
    auto *pathRow = new QHBoxLayout;
    pathRow->addWidget(ImageIcon);
    pathRow->addWidget(ImageSound);
    pathRow->addWidget(ListPath, 1);
    mainCol->addLayout(pathRow);
    for (QWidget *w : std::initializer_list<QWidget *>{LabelAviso, XP_ProgressBar1, TextDecode})
        mainCol->addWidget(w);
    // The line under the mouse and the selection count: their row stays.
    auto *indexRow = new QHBoxLayout;
    indexRow->addWidget(LabelIndice);
    indexRow->addWidget(LabelSelec);
    indexRow->addStretch(1);
    keepPlaceWhenHidden(LabelIndice);
    keepPlaceWhenHidden(LabelSelec);
    mainCol->addLayout(indexRow);

    auto *top = new QHBoxLayout(central);
    top->addWidget(commands);
    top->addLayout(mainCol, 1);
}

QRect Form1::commandsArea()
{
    // Before the window is first shown its layout has not placed anything.
    if (!testAttribute(Qt::WA_WState_Visible)) {
        for (QLayout *l : {layout(), centralWidget()->layout()})
            if (l)
                l->activate();
    }
    const QWidget *commands = findChild<QWidget *>(QStringLiteral("Comandos"));
    return commands ? QRect(commands->mapTo(this, QPoint(0, 0)), commands->size()) : QRect();
}
