#include "cleanup/Recuperar.h"
#include "services/WindowPlace.h"
#include "services/ModAlpha.h"

#include "cleanup/DeletionLog.h"
#include "cleanup/Restore.h"
#include "main/Activity.h"
#include "main/Peers.h"
#include "platform/DriveMap.h"
#include "platform/EventPump.h"
#include "platform/Settings.h"
#include "platform/WinFs.h"
#include "services/BuscarPaths.h"
#include "services/Dialogo.h"
#include "services/ListPieces.h"
#include "services/Module3Ui.h"
#include "services/Pictures.h"

#include <QCloseEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QVBoxLayout>

#include <cmath>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using ModAlpha::kMinOpacity;

// The window's settings.
constexpr Settings::PlaceKeys kPlace{{{"Recuperar_Left"}, 0}, {{"Recuperar_Top"}, 0}};
constexpr Settings::IntKey kOpacity = ModAlpha::opacityKey("HScroll6");

class Peer final : public Peers::RestoreWindow
{
public:
    void show() override
    {
        Recuperar &w = recuperar();
        w.show();
        w.raise();
    }
};

} // namespace

Peers::RestoreWindow &recuperarPeer()
{
    static Peer peer;
    return peer;
}

Recuperar::Recuperar()
{
    setObjectName(QStringLiteral("Recuperar"));
    setWindowTitle(QStringLiteral("        Listado de archivos a recuperar"));
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    resize(680, 420);

    cmdOpen = new QPushButton(QStringLiteral("Abrir log..."), this);
    cmdOpen->setObjectName(QStringLiteral("cmdOpen"));
    cmdOpen->setToolTip(QStringLiteral("Abrir archivo log"));
    cmdOpen->setIcon(picture(this, QStringLiteral("document-open"), QStyle::SP_DialogOpenButton));
    ListRecuperar = new QListWidget(this);
    ListRecuperar->setObjectName(QStringLiteral("ListRecuperar"));
    ListRecuperar->setToolTip(QStringLiteral("Esta lista presenta los archivos que se han borrado"));
    cmdRecuperar = new QPushButton(QStringLiteral("Recuperar"), this);
    cmdRecuperar->setObjectName(QStringLiteral("cmdRecuperar"));
    cmdRecuperar->setToolTip(QStringLiteral("Recuperar archivos al origen"));
    cmdRecuperar->setIcon(picture(this, QStringLiteral("document-revert"), QStyle::SP_BrowserReload));
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    LabelCerrar = new QLabel(QStringLiteral(" Ahora de puede cerrar esta ventana "), this);
    LabelCerrar->setObjectName(QStringLiteral("LabelCerrar"));
    HScroll6 = new QScrollBar(Qt::Horizontal, this);
    HScroll6->setObjectName(QStringLiteral("HScroll6"));
    HScroll6->setRange(kMinOpacity, 100);
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));

    auto *top = new QHBoxLayout;
    top->addWidget(cmdOpen);
    top->addWidget(cmdRecuperar);
    top->addWidget(LabelCerrar);
    top->addStretch();
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel(QStringLiteral("Transparencia"), this));
    bottom->addWidget(HScroll6, 1);
    bottom->addWidget(Label2);
    auto *box = new QVBoxLayout(this);
    box->addLayout(top);
    box->addWidget(Label1);
    box->addWidget(ListRecuperar, 1);
    box->addLayout(bottom);

    connect(cmdOpen, &QPushButton::clicked, this, &Recuperar::cmdOpen_Click);
    connect(cmdRecuperar, &QPushButton::clicked, this, &Recuperar::cmdRecuperar_Click);
    connect(HScroll6, &QScrollBar::valueChanged, this, &Recuperar::HScroll6_Scroll);
    Form_Load();
}

Recuperar::~Recuperar()
{
    closeLogFolder();
    SingleWindow<Recuperar>::release(this);
}

void Recuperar::Form_Load()
{
    cmdRecuperar->hide();
    cmdOpen->show();
    Peers::player().unloadFormMedia();
    LabelCerrar->hide();
    WindowPlace::restore(this, kPlace);
    const QSignalBlocker block(HScroll6);
    HScroll6->setValue(kOpacity.value());
    HScroll6_Scroll();
    raise();
}

void Recuperar::HScroll6_Scroll()
{
    ModAlpha::AplicarAlpha(this, HScroll6->value());
    Label2->setText(QString::number(100 - HScroll6->value()));
}

void Recuperar::savePosition()
{
    WindowPlace::save(this, kPlace);
}

void Recuperar::mousePressEvent(QMouseEvent *event)
{
    savePosition();
    raise();
    QWidget::mousePressEvent(event);
}

void Recuperar::cmdOpen_Click()
{
    // Nothing is read or restored inside a deletion run.
    if (const Activity::Answer may = Activity::mayStart(Activity::Request::ReadLog); !may) {
        if (!may.refusal.isEmpty()) {
            Label1->setText(may.refusal);
            Label1->show();
        }
        return;
    }
    Peers::player().unloadFormMedia();
    if (Peers::MainWindow *main = Peers::mainWindow())
        main->hideListPath();
    const QString file = Dialogo::AbrirArchivo(this, QStringLiteral("Archivos_Borrados (*.log)|*.log"),
                                               QStringLiteral("Salva un archivo"), QString());
    if (file.isEmpty())
        return;
    leerLog(file);
}

void Recuperar::closeLogFolder()
{
    if (m_logFolderFd >= 0)
        ::close(m_logFolderFd);
    m_logFolderFd = -1;
}

void Recuperar::leerLog(const QString &file)
{
    if (Activity::running(Activity::Kind::Restore))
        return;
    if (Buscar::Obtener_Nombre_Archivo(file) != DeletionLog::fileName()) {
        notValid();
        return;
    }
    const Activity::Token reading(Activity::Kind::Restore);
    closeLogFolder();
    m_refused.clear();
    m_refusedCount = 0;
    m_readProblems.clear();
    // The log's folder stays open until the restore: the backups are taken
    // from this folder, whatever is renamed or chosen in other dialogs
    // meanwhile.
    const QString host = DriveMap::instance().toHost(file);
    const QByteArray folder = QFile::encodeName(host.left(host.lastIndexOf(u'/') + 1));
    m_logFolderFd = host.isEmpty() ? -1 : ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // Not blocking: a pipe or a device bearing the log's name must not hang
    // the window; anything but a regular file is not a log.
    const int fd = m_logFolderFd < 0
        ? -1
        : ::openat(m_logFolderFd, QFile::encodeName(DeletionLog::fileName()).constData(),
                   O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    const auto closeLog = qScopeGuard([fd] {
        if (fd >= 0)
            ::close(fd);
    });
    struct stat st;
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        closeLogFolder();
        notValid();
        return;
    }
    if (fd >= 0 && st.st_size >= 110) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        ListRecuperar->clear();
        const DeletionLog::Contents c = DeletionLog::readFile(fd, [this] {
            EventPump::pumpEvents();
            return !m_closing;
        });
        if (m_closing)
            return;
        Label1->setText(c.label);
        // A log of tens of thousands of lines goes in in pieces, events
        // running between them (the window is busy meanwhile).
        PumpingProgress pumping;
        ListPieces::fill(ListRecuperar, c.paths, &pumping, 1024, [this] { return m_closing; });
        if (m_closing)
            return;
        for (const DeletionLog::Refused &r : c.refused)
            m_refused << QStringLiteral("Línea %1: %2  ->  %3").arg(r.lineNumber).arg(r.shown, r.reason);
        m_refusedCount = c.refusedCount;
        if (c.refusedCount > qint64(c.refused.size()))
            m_refused << QStringLiteral("... y %1 líneas rechazadas más").arg(c.refusedCount - qint64(c.refused.size()));
        if (c.cut)
            m_readProblems << QStringLiteral("El registro es demasiado largo: solo se han leído sus primeras líneas (%1 "
                                             "bytes). El resto no se recuperará.")
                                  .arg(c.bytesRead);
        if (!c.readError.isEmpty())
            m_readProblems << QStringLiteral("No se ha podido leer todo el registro (") + c.readError
                    + QStringLiteral("). El resto no se recuperará.");
        if (!c.repeated.isEmpty())
            m_readProblems << QStringLiteral("Estos nombres figuran más de una vez en el registro y no se recuperarán "
                                             "(su copia no puede volver a varias carpetas):\r\n")
                    + c.repeated.mid(0, 20).join(QStringLiteral("\r\n"))
                    + (c.repeated.size() > 20 ? QStringLiteral("\r\n... y %1 más").arg(c.repeated.size() - 20)
                                              : QString());
        if (!m_refused.isEmpty())
            m_readProblems << QStringLiteral("Estas líneas no se recuperarán:\r\n")
                    + m_refused.mid(0, 20).join(QStringLiteral("\r\n"))
                    + (m_refused.size() > 20 ? QStringLiteral("\r\n... y %1 más").arg(m_refusedCount - 20) : QString());
        if (!m_readProblems.isEmpty())
            QMessageBox::warning(this, QStringLiteral("Recuperar archivos"),
                                 m_readProblems.join(QStringLiteral("\r\n\r\n")));
        if (ListRecuperar->count() > 0) {
            PumpingProgress pumping;
            Module3::AjustarScrollHorizontal(ListRecuperar, c.paths, &pumping);
            if (m_closing)
                return;
            Label1->setText(QStringLiteral("Hay: ") + QString::number(ListRecuperar->count()) + u' ' + Label1->text());
            Label1->show();
            cmdRecuperar->show();
        }
        return;
    }
    closeLogFolder();
    if (Peers::MainWindow *main = Peers::mainWindow())
        main->showInListPath({QStringLiteral(" >>> AVISO <<< "),
                              QStringLiteral("   Este archivo no tiene archivos para recuperar")});
    hide();
    close();
}

void Recuperar::notValid()
{
    Label1->setText(QStringLiteral("Este archivo no es válido"));
    hide();
}

void Recuperar::cmdRecuperar_Click()
{
    // Nor inside an analysis or search of the main window, or a scan or
    // deletion of the associated-files window: they read the folders the
    // files go back to.
    if (!Activity::mayStart(Activity::Request::Restore))
        return;
    const Activity::Token restoring(Activity::Kind::Restore);
    RecuperarArchivos();
}

void Recuperar::RecuperarArchivos()
{
    m_outcome = Outcome();
    const int count = ListRecuperar->count();
    for (int i = 0; i < count && !m_closing; ++i) {
        const QString line = ListRecuperar->item(i)->text();
        const ShellResult r = m_logFolderFd < 0
            ? ShellResult::failed(QStringLiteral("la carpeta del registro ya no está abierta"))
            : Restore::one(m_logFolderFd, line);
        if (r.done()) {
            ++m_outcome.copied;
        } else if (r.outcome == ShellResult::Declined) {
            ++m_outcome.declined;
            m_outcome.problems << line + QStringLiteral("  ->  no se ha reemplazado");
        } else {
            ++m_outcome.failed;
            m_outcome.problems << line + QStringLiteral("  ->  ") + r.reason;
        }
        // The window answers between two files (its buttons do nothing
        // meanwhile; closing it stops the restore after this file).
        EventPump::pumpEvents();
    }
    if (m_closing)
        return;
    // Lines of the log that were not listed are not restored either.
    m_outcome.failed += int(m_refusedCount);
    m_outcome.problems << m_refused;
    cmdRecuperar->hide();
    // How many of the files the log lists came back.
    const int listed = m_outcome.copied + m_outcome.declined + m_outcome.failed;
    QString text = QStringLiteral("Operación terminada   Recuperados: %1 de %2").arg(m_outcome.copied).arg(listed);
    if (m_outcome.failed > 0 || m_outcome.declined > 0)
        text += QStringLiteral("    No reemplazados: %1    Fallidos: %2").arg(m_outcome.declined).arg(m_outcome.failed);
    Label1->setText(text);
    cmdOpen->hide();
    LabelCerrar->show();
    if (!m_outcome.problems.isEmpty())
        QMessageBox::warning(this, QStringLiteral("Recuperar archivos"),
                             QStringLiteral("Recuperados: %1    No reemplazados: %2    Fallidos: %3\r\n\r\n")
                                     .arg(m_outcome.copied)
                                     .arg(m_outcome.declined)
                                     .arg(m_outcome.failed)
                                 + m_outcome.problems.mid(0, 20).join(QStringLiteral("\r\n"))
                                 + (m_outcome.problems.size() > 20
                                        ? QStringLiteral("\r\n... y %1 más").arg(m_outcome.problems.size() - 20)
                                        : QString()));
}

void Recuperar::closeEvent(QCloseEvent *event)
{
    event->accept();
    if (m_closing)
        return;
    m_closing = true;
    savePosition();
    kOpacity.setValue(HScroll6->value());
    Settings::sync();
    SingleWindow<Recuperar>::discard(this);
}
