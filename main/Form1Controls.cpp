// The main window's controls, built by area, and where they stand.

#include "main/Form1.h"

#include "main/Peers.h"
#include "services/ModAlpha.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
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

// An option box: its caption is its settings key.
QCheckBox *option(QWidget *parent, const char *name, const QString &caption, bool design, const QString &tip)
{
    auto *c = named(new QCheckBox(caption, parent), name);
    c->setChecked(design);
    c->setToolTip(tip);
    return c;
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
}

void Form1::buildLists(QWidget *central)
{
    ListProyectos = resultList(central, "ListProyectos");
    ListVip = resultList(central, "ListVip");
    ListUtilizados = resultList(central, "ListUtilizados");
    ListBorrar = resultList(central, "ListBorrar");
    // The two caption lines over each list; a click shows the whole path.
    const auto caption = [&](const QString &name) {
        auto *l = new QLabel(central);
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
    ListPath->setFixedHeight(24);
    ListPath->hide();
    ListPath->installEventFilter(this);
    ListProyectosInfo = resultList(central, "ListProyectosInfo");
    ListProyectosInfo->setStyleSheet(QStringLiteral("QListWidget { background: #ffffe8; }"));
    ListProyectosInfo->hide();

    ListProyectos->setAcceptDrops(true);
    ListProyectos->viewport()->setAcceptDrops(true);
    ListProyectos->viewport()->installEventFilter(this);
}

void Form1::buildStatus(QWidget *central)
{
    LabelAviso = named(new QLabel(central), "LabelAviso");
    LabelAviso->setStyleSheet(QStringLiteral("color: #a00000; font-weight: bold;"));
    LabelAviso->hide();
    LabelIndice = named(new QLabel(central), "LabelIndice");
    LabelIndice->hide();
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

    ShowIco = named(new QLabel(QStringLiteral("Velmar"), central), "ShowIco");
    ShowIco->setStyleSheet(QStringLiteral("font-size: 18pt; font-weight: bold; color: #506070;"));
    ImageICO = named(new QLabel(central), "ImageICO");
    ImageICO->setFixedSize(34, 34);
    ImageIcon = named(new QLabel(central), "ImageIcon");
    ImageIcon->hide();
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
    Salir = command(central, "Salir", QStringLiteral("Salir"), QStringLiteral("Cerrar la aplicación"));
}

void Form1::buildMenus()
{
    auto *menu = named(menuBar()->addMenu(QStringLiteral("&Archivo")), "MenuArchivo");
    SalvaListados = named(menu->addAction(QStringLiteral("SalvaListados")), "SalvaListados");
    SalvaListados->setVisible(false);
    auto *configurar = named(menuBar()->addMenu(QStringLiteral("&Configurar")), "Configurar");
    CarpetasBuscar = named(configurar->addAction(QStringLiteral("Carpetas buscar...")), "CarpetasBuscar");
    CarpetasNoBorrar = named(configurar->addAction(QStringLiteral("Carpetas no borrar")), "CarpetasNoBorrar");
    RecuperaBorrados = named(menuBar()->addAction(QStringLiteral("RecuperaBorrados")), "RecuperaBorrados");
}

void Form1::layOut(QWidget *central)
{
    // Commands on the left, the four lists in a grid, status below.
    auto *side = new QVBoxLayout;
    for (QWidget *w : std::initializer_list<QWidget *>{ShowIco, ImageICO, AbrirFichero, cmdCancelar, cmdReset,
                                                       cmdPerdidos, CommandBorrado, cmdAsociados})
        side->addWidget(w);
    side->addSpacing(12);
    side->addWidget(cmdPlayer);
    side->addSpacing(12);
    for (QWidget *w : std::initializer_list<QWidget *>{CheckToolTips, CheckPlayer, CheckBAK, CheckDragDrop, CheckLogo})
        side->addWidget(w);
    side->addSpacing(12);
    side->addWidget(Label1);
    side->addWidget(HScroll1);
    side->addStretch(1);
    side->addWidget(LabelTime);
    side->addWidget(TextLapsoTotal);
    side->addSpacing(8);
    side->addWidget(Salir);

    const auto block = [&](QLineEdit *num, std::array<QLabel *, 2> &labels, QListWidget *lst) {
        auto *v = new QVBoxLayout;
        auto *head = new QHBoxLayout;
        head->addWidget(num);
        head->addWidget(labels[0], 1);
        v->addLayout(head);
        v->addWidget(labels[1]);
        if (lst == ListProyectos) {
            // The drag-and-drop notice lies over the project list until it
            // is clicked away.
            auto *stack = new QGridLayout;
            stack->addWidget(lst, 0, 0);
            stack->addWidget(ListProyectosInfo, 0, 0);
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
    pathRow->addWidget(ListPath, 1);
    mainCol->addLayout(pathRow);
    for (QWidget *w : std::initializer_list<QWidget *>{LabelAviso, XP_ProgressBar1, TextDecode, LabelIndice})
        mainCol->addWidget(w);

    auto *top = new QHBoxLayout(central);
    top->addLayout(side);
    top->addLayout(mainCol, 1);
}
