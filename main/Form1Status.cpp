#include "main/Form1.h"

#include "main/Peers.h"
#include "services/CuadroMensaje.h"
#include "services/Module2.h"
#include "services/WinColor.h"

#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QStyle>
#include <QTimer>

#include <cmath>

namespace {

// The clock's text is refreshed at most this often; the work between two
// pumps of the event queue decides how often it really happens.
constexpr int kClockTickMs = 40;

} // namespace

void Form1::Iniciar_Clock()
{
    cl = 0;
    TextLapsoTotal->clear();
    TextLapsoTotal->show();
    LabelTime->show();
    // A monotonic clock: a run across midnight or a change of the system
    // time must not give a negative or wrong time.
    m_clock.start();
    Timer1->setInterval(kClockTickMs);
    Timer1->start();
    Peers::player().stopAndClear();
}

void Form1::hideClock()
{
    TextLapsoTotal->hide();
    LabelTime->hide();
}

void Form1::colorLapso(const QColor &colour)
{
    if (colour.isValid()) {
        fixColours(TextLapsoTotal, colour);
    } else {
        TextLapsoTotal->setPalette(QPalette());
        TextLapsoTotal->setAutoFillBackground(false);
    }
}

void Form1::Timer1_Timer()
{
    if (!m_clock.isValid())
        return;
    TextLapsoTotal->setText(QStringLiteral(" ") + QLocale().toString(m_clock.elapsed() / 1000.0, 'f', 2));
}

QString Form1::formatLapso(double seconds)
{
    qint64 minutes = 0;
    double secs = seconds;
    if (seconds > 59) {
        // Whole seconds, halves to the even neighbour.
        const auto whole = qint64(std::nearbyint(seconds));
        minutes = whole / 60;
        secs = double(whole % 60);
    }
    const auto two = [](qint64 v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    // The seconds are rounded to whole ones, so no fraction is left for the
    // third field.
    return two(minutes) + u':' + two(qint64(std::floor(secs + 0.5))) + QStringLiteral(":00");
}

void Form1::Lapso()
{
    // The time comes from the clock itself, never from the shown text (which
    // the locale may have grouped). Without a running clock the last time
    // taken is kept, and an empty box means nothing was timed.
    if (m_clock.isValid())
        cl = m_clock.elapsed() / 1000.0;
    else if (TextLapsoTotal->text().isEmpty())
        cl = 0;
    m_clock.invalidate();
    Tiempo = formatLapso(cl);
    TextLapsoTotal->setText(QStringLiteral(" ") + Tiempo + QStringLiteral(" "));
    Timer1->stop();
}

CuadroMensaje::Look Form1::mainLook() const
{
    // Every message of the main window has the same look: its picture,
    // "MS Sans Serif" 10, red text.
    CuadroMensaje::Look look;
    look.picture = style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32);
    return look;
}

void Form1::AvisoMsg(const QString &texto, const QString &mensaje)
{
    CuadroMensaje &box = Module2::createCuadro(this);
    box.setPresentation(4, 5);
    box.addButton(0, QStringLiteral("Salir"), -1, 0);
    Module2::RespuestaCuadro = box.showAndWait(texto, mensaje, mainLook());
    Module2::releaseCuadro();
}

