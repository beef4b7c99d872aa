#include "main/FolderListWindows.h"
#include "services/WindowPlace.h"

#include "main/FolderLists.h"
#include "main/Form1.h"
#include "platform/DriveMap.h"
#include "platform/Settings.h"
#include "services/ModuleOpen.h"
#include "services/Module3Ui.h"
#include "services/Pictures.h"
#include "services/WindowKeys.h"

#include <QCloseEvent>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString lines(std::initializer_list<const char *> parts)
{
    QString out;
    for (const char *p : parts)
        out += QString::fromUtf8(p) + kCrLf;
    return out;
}

} // namespace

FolderListWindow::FolderListWindow(const Config &config) : m_config(config)
{
    setObjectName(config.objectName);
    setWindowTitle(config.caption);
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    resize(560, 360);

    m_list = new QListWidget(this);
    m_list->setObjectName(config.listName);
    m_list->setToolTip(QStringLiteral("Doble clic en item, borra esa carpeta. "));
    ElegirCArpeta = new QPushButton(QStringLiteral("Añadir carpeta..."), this);
    ElegirCArpeta->setObjectName(QStringLiteral("ElegirCArpeta"));
    ElegirCArpeta->setToolTip(QStringLiteral("Elegir carpetas"));
    ElegirCArpeta->setIcon(picture(this, QStringLiteral("folder-new"), QStyle::SP_FileDialogNewFolder));
    Salir = new QPushButton(QStringLiteral("Salir"), this);
    Salir->setObjectName(QStringLiteral("Salir"));
    Salir->setToolTip(QStringLiteral("Salir guardando datos."));
    Salir->setIcon(picture(this, QStringLiteral("document-save"), QStyle::SP_DialogSaveButton));
    AvisoNoBorrados = new QPlainTextEdit(config.help, this);
    AvisoNoBorrados->setObjectName(QStringLiteral("AvisoNoBorrados"));
    AvisoNoBorrados->setReadOnly(true);
    AvisoNoBorrados->setMaximumWidth(260);

    auto *side = new QVBoxLayout;
    side->addWidget(AvisoNoBorrados, 1);
    side->addWidget(ElegirCArpeta);
    side->addWidget(Salir);
    auto *row = new QHBoxLayout;
    row->addWidget(m_list, 1);
    row->addLayout(side);
    auto *box = new QVBoxLayout(this);
    box->setObjectName(QStringLiteral("layoutBox"));
    box->addLayout(row, 1);

    connect(ElegirCArpeta, &QPushButton::clicked, this, &FolderListWindow::ElegirCArpeta_Click);
    connect(Salir, &QPushButton::clicked, this, &FolderListWindow::Salir_Click);
    WindowKeys::closeOnEscape(this, Salir);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { List_DblClick(); });

    WindowPlace::restore(this, config.place);
}

QVBoxLayout *FolderListWindow::layoutBox() const
{
    return findChild<QVBoxLayout *>(QStringLiteral("layoutBox"));
}

bool FolderListWindow::mayStore(const QString &what) const
{
    if (m_unread.isEmpty())
        return true;
    if (form1Loaded())
        form1().Alerta(3, m_unread + QStringLiteral("\r\n") + what + QStringLiteral(" no se ha guardado."), true);
    return false;
}

void FolderListWindow::ElegirCArpeta_Click()
{
    const QString folder = ModuleOpen::SeleccionarCarpeta(this);
    // A cancelled dialog adds nothing (an empty line would mean nothing, or,
    // among the protected folders, protect nothing).
    if (folder.isEmpty())
        return;
    m_list->addItem(folder);
    // A protected folder counts from the moment it is added: a deletion
    // started while this window is open reads the store.
    if (m_config.saveOnAdd)
        storeList();
}

void FolderListWindow::List_DblClick()
{
    if (m_list->currentRow() >= 0)
        delete m_list->takeItem(m_list->currentRow());
    storeList();
}

void FolderListWindow::Salir_Click()
{
    if (m_closing)
        return;
    m_closing = true;
    storeList();
    WindowPlace::save(this, m_config.place);
    Settings::sync();
    SingleWindow<UnidadesBuscar>::release(this);
    SingleWindow<FormNoBorrar>::release(this);
    hide();
    deleteLater();
}

void FolderListWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    Salir_Click();
}

UnidadesBuscar::UnidadesBuscar()
    : FolderListWindow({QStringLiteral("UnidadesBuscar"),
                        QStringLiteral("   Carpetas de búsqueda de archivos perdidos o desubicados."),
                        QStringLiteral("ListBusca"), {{{"UnidadesBuscar_Left"}, 0}, {{"UnidadesBuscar_Top"}, 0}},
                        lines({"Elige las carpetas donde haya", "archivos de audio de proyectos",
                               "para buscar audios desubicados.", "", "Todos los archivos de las carpetas ",
                               "que NO figuren en esta lista de ", "carpetas, no se podrán localizar ",
                               "por el programa.        "}),
                        false})
{
    ListBusca = m_list;
    Label3 = new QLabel(QStringLiteral("MUY IMPORTANTE"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label2 = new QLabel(
        QStringLiteral(" Es muy importante seleccionar solo las carpetas donde existan archivos de  audio, donde "
                       "puedan estar los audios desubicados de los Vip's.                  De esta forma no se "
                       "perderá tiempo en buscar en carpetas que no tengan    archivos de audio.La diferencia en "
                       "velocidad de la búsqueda, depende        de este factor, y la diferencia de tiempo puede "
                       "ser muy grande. "),
        this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setWordWrap(true);
    layoutBox()->addWidget(Label3);
    layoutBox()->addWidget(Label2);
    loadList();
}

UnidadesBuscar::~UnidadesBuscar()
{
    SingleWindow<UnidadesBuscar>::release(this);
}

void UnidadesBuscar::loadList()
{
    ListBusca->clear();
    ListBusca->addItems(FolderLists::storedSearchFolders());
    const Settings::FileCheck check = Settings::checkFile();
    m_unread.clear();
    if (!check.ok())
        m_unread = QStringLiteral(" >>> AVISO <<<   No se han podido leer las carpetas de búsqueda del archivo de "
                                  "ajustes ")
            + DriveMap::instance().toWindows(Settings::fileName()) + QStringLiteral(": ") + check.problem + u'.';
}

void UnidadesBuscar::storeList()
{
    if (!mayStore(QStringLiteral("La lista de carpetas de búsqueda")))
        return;
    QStringList folders;
    for (int i = 0; i < ListBusca->count(); ++i)
        folders << ListBusca->item(i)->text();
    FolderLists::storeSearchFolders(folders);
}

FormNoBorrar::FormNoBorrar()
    : FolderListWindow({QStringLiteral("FormNoBorrar"), QStringLiteral("Carpetas con archivos que no se borraran."),
                        QStringLiteral("List1"), {{{"FormNoBorrar_Left"}, 100}, {{"FormNoBorrar_Top"}, 100}},
                        lines({"Elige las carpetas donde haya", "archivos que no quieres que se borren",
                               "aunque esten en la ventana de: ", "Carpetas de búsqueda.", "",
                               "Todos los archivos de las carpetas ", "que figuren en esta lista de carpetas",
                               "no se borrarán excepto los asociados ", "que se quieran borrar en la ventana",
                               "Archivos asociados para borrar."}),
                        true})
{
    List1 = m_list;
    Label2 = new QLabel(QStringLiteral("Carpetas donde no se borran sus archivos"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    layoutBox()->insertWidget(0, Label2);
    List1->setMouseTracking(true);
    List1->viewport()->installEventFilter(this);
    loadList();
}

FormNoBorrar::~FormNoBorrar()
{
    SingleWindow<FormNoBorrar>::release(this);
}

void FormNoBorrar::LeerRutasNoBorrados()
{
    List1->clear();
    List1->addItems(FolderLists::storedProtectedFolders());
    Module3::AjustarScrollHorizontal(List1);
    m_unread = FolderLists::readProtectedFolders().error;
}

void FormNoBorrar::loadList()
{
    LeerRutasNoBorrados();
    // A list that could not be read shows empty or short: the user is told
    // why, in the main window's status box.
    if (!m_unread.isEmpty() && form1Loaded())
        form1().Alerta(3, m_unread, true);
}

void FormNoBorrar::storeList()
{
    // Written, the short list would become the stored one: the folders
    // that could not be read would protect nothing.
    if (!mayStore(QStringLiteral("La lista de carpetas protegidas")))
        return;
    QStringList folders;
    for (int i = 0; i < List1->count(); ++i)
        folders << List1->item(i)->text();
    FolderLists::storeProtectedFolders(folders);
}

bool FormNoBorrar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == List1->viewport() && event->type() == QEvent::MouseMove) {
        raise();
        activateWindow();
    }
    return FolderListWindow::eventFilter(watched, event);
}

