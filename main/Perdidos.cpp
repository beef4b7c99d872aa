#include "main/Perdidos.h"
#include "services/WindowPlace.h"
#include "services/ModAlpha.h"
#include "services/WindowKeys.h"

#include "main/Form1.h"
#include "main/Unused.h"
#include "platform/Ansi.h"
#include "platform/DriveMap.h"
#include "platform/NoLinkWrite.h"
#include "platform/Settings.h"
#include "platform/SpanishDate.h"
#include "services/Module2.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>

#include <cmath>

namespace {

using ModAlpha::kMinOpacity;

// The window's settings (with no place stored it opens beside the main
// window).
constexpr Settings::PlaceKeys kPlace{{{"Perdidos_Left"}, 0}, {{"Perdidos_Top"}, 0}};
constexpr Settings::IntKey kOpacity = ModAlpha::opacityKey("HScroll3");

} // namespace

QString Perdidos::designSummary()
{
    return QStringLiteral("Encontrados: ");
}

Perdidos::Perdidos()
{
    setObjectName(QStringLiteral("Perdidos"));
    setWindowTitle(QStringLiteral("      Ficheros perdidos"));
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    resize(620, 380);

    ListPerdidos = new QListWidget(this);
    ListPerdidos->setObjectName(QStringLiteral("ListPerdidos"));
    ListPerdidos->setToolTip(QStringLiteral("Lista de archivos perdidos"));
    TextEncontrados = new QLabel(designSummary(), this);
    TextEncontrados->setObjectName(QStringLiteral("TextEncontrados"));
    HScroll3 = new QScrollBar(Qt::Horizontal, this);
    HScroll3->setObjectName(QStringLiteral("HScroll3"));
    HScroll3->setRange(kMinOpacity, 100);
    HScroll3->setValue(100);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    cmdLog = new QPushButton(QStringLiteral("Salvar log"), this);
    cmdLog->setObjectName(QStringLiteral("cmdLog"));
    cmdLog->setToolTip(QStringLiteral("Salvar este listado en un fichero tipo log "));
    cmdSalir = new QPushButton(QStringLiteral("Cerrar"), this);
    cmdSalir->setObjectName(QStringLiteral("cmdSalir"));
    cmdSalir->setToolTip(QStringLiteral("Cerrar la ventana"));

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel(QStringLiteral("Transparencia"), this));
    bottom->addWidget(HScroll3, 1);
    bottom->addWidget(Label1);
    bottom->addStretch();
    bottom->addWidget(cmdLog);
    bottom->addWidget(cmdSalir);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ListPerdidos, 1);
    layout->addWidget(TextEncontrados);
    layout->addLayout(bottom);

    connect(cmdLog, &QPushButton::clicked, this, &Perdidos::cmdLog_Click);
    connect(cmdSalir, &QPushButton::clicked, this, &Perdidos::cmdSalir_Click);
    WindowKeys::closeOnEscape(this, cmdSalir);
    connect(HScroll3, &QScrollBar::valueChanged, this, &Perdidos::HScroll3_Scroll);

    Form_Load();
}

Perdidos::~Perdidos()
{
    SingleWindow<Perdidos>::release(this);
}

void Perdidos::Form_Load()
{
    restorePosition();
    const QSignalBlocker block(HScroll3);
    HScroll3->setValue(kOpacity.value());
    ModAlpha::AplicarAlpha(this, HScroll3->value());
}

void Perdidos::restorePosition()
{
    WindowPlace::restore(this, kPlace);
}

void Perdidos::savePosition()
{
    WindowPlace::save(this, kPlace);
}

void Perdidos::HScroll3_Scroll()
{
    ModAlpha::AplicarAlpha(this, HScroll3->value());
    Label1->setText(QString::number(100 - HScroll3->value()));
}

bool Perdidos::SalvarLog(const QString &file, QString *error)
{
    if (file.isEmpty())
        return true;
    const QStringList lines = Unused::missingLogLines(TextEncontrados->text(), SpanishDate::today(),
                                                      SpanishDate::now(), Form1::lines(ListPerdidos));
    // The project folder as the analysis read it; the log itself is never
    // written through a link.
    const qsizetype slash = file.lastIndexOf(u'\\');
    const QString host = slash < 0 ? QString() : DriveMap::instance().toHost(file.left(slash + 1));
    if (host.isEmpty()) {
        if (error)
            *error = QStringLiteral("La unidad de la ruta no está disponible.");
        return false;
    }
    const NoLinkWrite::Folder folder = NoLinkWrite::Folder::open(host, error);
    return folder.isOpen() && folder.write(file.mid(slash + 1), Ansi::textFile(lines), error);
}

void Perdidos::cmdLog_Click()
{
    const QString folder = form1().LabelCheck[1]->text();
    const QString name = Unused::missingLogName(SpanishDate::today());
    QString error;
    const QString crlf = QStringLiteral("\r\n");
    // The message box is a child of this window, so it shows above it even
    // though this window stays in front of the others.
    if (SalvarLog(Unused::joinPath(folder, name), &error)) {
        QMessageBox::information(this, QStringLiteral("Archivos perdidos"),
                                 QStringLiteral("Se ha salvado el archivo....") + name + crlf
                                     + QStringLiteral("Con la lista de archivos de audio") + crlf
                                     + QStringLiteral("perdidos o ubicados en otras rutas ") + crlf
                                     + QStringLiteral("En la ruta: ") + folder + crlf);
    } else {
        QMessageBox::warning(this, QStringLiteral("Archivos perdidos"),
                             QStringLiteral("No se ha podido salvar el archivo....") + name + crlf
                                 + QStringLiteral("En la ruta: ") + folder + crlf + QStringLiteral("Motivo: ")
                                 + error + crlf);
    }
}

void Perdidos::cmdSalir_Click()
{
    GuardarYCerrar();
}

void Perdidos::closeEvent(QCloseEvent *event)
{
    event->accept();
    GuardarYCerrar();
}

void Perdidos::GuardarYCerrar()
{
    if (m_closing)
        return;
    m_closing = true;
    savePosition();
    kOpacity.setValue(HScroll3->value());
    SingleWindow<Perdidos>::discard(this);
}
