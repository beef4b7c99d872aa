#include "services/Class1.h"

#include "services/WinColor.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QToolTip>

namespace {

constexpr int kMargin = 6;
constexpr int kIconSize = 16;
constexpr int kGap = 4;
constexpr int kStem = 12;       // height of a balloon's stem
constexpr int kStemHalf = 8;    // half its width at the body
constexpr int kStemInset = 18;  // where the stem leaves a tip that is not centred
constexpr int kCursorDrop = 20; // a plain tip starts below the mouse pointer

constexpr int kDefaultVisible = 7000;
constexpr int kDefaultDelay = 50;

QIcon titleIcon(int icon)
{
    switch (icon) {
    case 1: return QApplication::style()->standardIcon(QStyle::SP_MessageBoxInformation);
    case 2: return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    case 3: return QApplication::style()->standardIcon(QStyle::SP_MessageBoxCritical);
    default: return {};
    }
}

QStringList textLines(const QString &text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(u'\r', u'\n');
    return t.split(u'\n');
}

QFont titleFont(const QFont &base)
{
    QFont f = base;
    f.setBold(true);
    return f;
}

} // namespace

// ---------------------------------------------------------------- TipWindow

TipWindow::TipWindow(bool balloon, bool centred)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput),
      m_balloon(balloon), m_centred(centred)
{
    setObjectName(QStringLiteral("Class1Tip"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    if (m_balloon)
        setAttribute(Qt::WA_TranslucentBackground);
    setFont(QToolTip::font());
}

void TipWindow::setTitle(int icon, const QString &title)
{
    m_icon = icon;
    m_title = title;
    place();
    update();
}

void TipWindow::setText(const QString &text)
{
    m_text = text;
    place();
    update();
}

void TipWindow::setForeColor(quint32 bgr)
{
    m_fore = bgr;
    update();
}

void TipWindow::setBackColor(quint32 bgr)
{
    m_back = bgr;
    update();
}

QColor TipWindow::foreground() const
{
    if (m_fore)
        return colorFromBgr(m_fore);
    // The system's text colour belongs to the system's background only.
    return m_back ? textOn(colorFromBgr(m_back)) : palette().color(QPalette::ToolTipText);
}

QColor TipWindow::background() const
{
    if (m_back)
        return colorFromBgr(m_back);
    return m_fore ? backUnder(colorFromBgr(m_fore)) : palette().color(QPalette::ToolTipBase);
}

QSize TipWindow::bodySize() const
{
    const QFontMetrics fm(font());
    int w = 0;
    int h = 0;
    if (!m_title.isEmpty()) {
        const QFontMetrics tfm(titleFont(font()));
        int tw = tfm.horizontalAdvance(m_title);
        if (!titleIcon(m_icon).isNull())
            tw += kIconSize + kGap;
        w = tw;
        h = qMax(kIconSize, tfm.height()) + kGap;
    }
    const QStringList lines = textLines(m_text);
    for (const QString &l : lines)
        w = qMax(w, fm.horizontalAdvance(l));
    h += int(lines.size()) * fm.lineSpacing();
    return {w + 2 * kMargin, h + 2 * kMargin};
}

void TipWindow::popUp(QPoint below, QPoint above)
{
    m_below = below;
    m_above = above;
    m_placed = true;
    place();
    show();
}

void TipWindow::place()
{
    if (!m_placed)
        return;
    const QSize body = bodySize();
    const int stem = m_balloon ? kStem : 0;
    const QSize whole(body.width(), body.height() + stem);
    QScreen *screen = QGuiApplication::screenAt(m_below);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect room = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), whole);

    m_stemUp = m_below.y() + whole.height() <= room.bottom() + 1 || m_above.y() - whole.height() < room.top();
    m_anchor = m_stemUp ? m_below : m_above;
    int left = m_centred ? m_anchor.x() - whole.width() / 2
                         : m_anchor.x() - (m_balloon ? kStemInset : 0);
    left = qBound(room.left(), left, qMax(room.left(), room.right() + 1 - whole.width()));
    const int top = m_stemUp ? m_anchor.y() : m_anchor.y() - whole.height();
    setGeometry(QRect(QPoint(left, top), whole));
}

void TipWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, m_balloon);
    const int stem = m_balloon ? kStem : 0;
    QRectF bodyRect(0.5, (m_stemUp ? stem : 0) + 0.5, width() - 1.0, height() - stem - 1.0);

    QPainterPath shape;
    if (m_balloon) {
        shape.addRoundedRect(bodyRect, 8, 8);
        // The stem, where the anchor is, kept off the rounded corners.
        const qreal x = qBound(bodyRect.left() + 10 + kStemHalf, qreal(m_anchor.x() - pos().x()),
                               bodyRect.right() - 10 - kStemHalf);
        QPainterPath tri;
        if (m_stemUp) {
            tri.moveTo(x - kStemHalf, bodyRect.top() + 1);
            tri.lineTo(m_anchor.x() - pos().x() + 0.5, 0.5);
            tri.lineTo(x + kStemHalf, bodyRect.top() + 1);
        } else {
            tri.moveTo(x - kStemHalf, bodyRect.bottom() - 1);
            tri.lineTo(m_anchor.x() - pos().x() + 0.5, height() - 0.5);
            tri.lineTo(x + kStemHalf, bodyRect.bottom() - 1);
        }
        tri.closeSubpath();
        shape = shape.united(tri);
    } else {
        shape.addRect(bodyRect);
    }
    p.setPen(QPen(foreground().lightness() > 128 ? QColor(200, 200, 200) : QColor(100, 100, 100), 1));
    p.setBrush(background());
    p.drawPath(shape);

    p.setPen(foreground());
    int y = int(bodyRect.top()) + kMargin;
    const int x = kMargin;
    if (!m_title.isEmpty()) {
        int tx = x;
        const QIcon icon = titleIcon(m_icon);
        const QFontMetrics tfm(titleFont(font()));
        const int lineH = qMax(kIconSize, tfm.height());
        if (!icon.isNull()) {
            icon.paint(&p, QRect(tx, y + (lineH - kIconSize) / 2, kIconSize, kIconSize));
            tx += kIconSize + kGap;
        }
        p.setFont(titleFont(font()));
        p.drawText(QRect(tx, y, width() - tx - kMargin, lineH), Qt::AlignVCenter | Qt::AlignLeft, m_title);
        p.setFont(font());
        y += lineH + kGap;
    }
    const QFontMetrics fm(font());
    for (const QString &l : textLines(m_text)) {
        p.drawText(QPoint(x, y + fm.ascent()), l);
        y += fm.lineSpacing();
    }
}

// ------------------------------------------------------------------- Class1

Class1::Class1(QObject *parent) : QObject(parent), m_delay(new QTimer(this)), m_stay(new QTimer(this))
{
    m_delay->setSingleShot(true);
    m_stay->setSingleShot(true);
    connect(m_delay, &QTimer::timeout, this, &Class1::popUp);
    connect(m_stay, &QTimer::timeout, this, [this] {
        hideTip();
        m_spent = true;
    });
}

Class1::~Class1()
{
    Destroy();
}

bool Class1::Create(QWidget *control)
{
    Destroy();
    m_control = control;
    if (!control)
        return false;
    m_window = new TipWindow(m_style == 1, mvarCentered);
    m_window->setText(m_tipText);
    if (!m_title.isEmpty() || m_icon != 0)
        m_window->setTitle(m_icon, m_title);
    if (m_foreColor != 0)
        m_window->setForeColor(quint32(m_foreColor));
    if (m_backColor != 0)
        m_window->setBackColor(quint32(m_backColor));
    m_delay->setInterval(qMax(0, m_delayTime < 0 ? kDefaultDelay : m_delayTime));
    m_stay->setInterval(qMax(0, m_visibleTime < 0 ? kDefaultVisible : m_visibleTime));
    m_spent = false;
    watch(true);
    // The control of a click that re-creates its tip still has the mouse
    // over it: the tip comes after the delay, as with a fresh rest.
    if (control->underMouse()) {
        m_mouse = QCursor::pos();
        arm();
    }
    return false;
}

void Class1::watch(bool on)
{
    if (on) {
        if (!m_control)
            return;
        m_control->installEventFilter(this);
        // The rest of the mouse is timed from its moves, which a widget only
        // gets while tracking. Tracking is left on: another tip may watch the
        // same control.
        m_control->setMouseTracking(true);
        if (auto *area = qobject_cast<QAbstractScrollArea *>(m_control.data())) {
            m_viewport = area->viewport();
            m_viewport->installEventFilter(this);
            m_viewport->setMouseTracking(true);
        }
        // A control that goes takes its tip with it.
        connect(m_control, &QObject::destroyed, this, &Class1::Destroy);
        return;
    }
    if (m_control) {
        m_control->removeEventFilter(this);
        disconnect(m_control, &QObject::destroyed, this, &Class1::Destroy);
    }
    if (m_viewport)
        m_viewport->removeEventFilter(this);
    m_viewport = nullptr;
}

void Class1::Destroy()
{
    m_delay->stop();
    m_stay->stop();
    watch(false);
    delete m_window.data();
    m_window = nullptr;
}

void Class1::setIcon(int icon)
{
    m_icon = icon;
    if (m_window && icon != 0 && !m_title.isEmpty())
        m_window->setTitle(icon, m_title);
}

void Class1::setForeColor(int bgr)
{
    m_foreColor = bgr;
    if (m_window)
        m_window->setForeColor(quint32(bgr));
}

void Class1::setTitle(const QString &title)
{
    m_title = title;
    if (m_window && !title.isEmpty() && m_icon != 0)
        m_window->setTitle(m_icon, title);
}

void Class1::setBackColor(int bgr)
{
    m_backColor = bgr;
    if (m_window)
        m_window->setBackColor(quint32(bgr));
}

void Class1::setTipText(const QString &text)
{
    m_tipText = text;
    if (m_window) {
        m_window->setText(text);
        // A tip left with no text goes, as it would not have shown.
        if (text.isEmpty())
            hideTip();
    }
}

void Class1::Show(int x, int y, QWidget *client)
{
    if (!m_window)
        return;
    const QPoint at = client ? client->mapToGlobal(QPoint(x, y)) : QPoint(x, y);
    m_delay->stop();
    m_window->popUp(at, at);
    m_stay->start();
}

void Class1::arm()
{
    if (!m_window || m_spent || m_window->isVisible())
        return;
    m_delay->start();
}

void Class1::popUp()
{
    if (!m_window || !m_control || !m_control->isVisible() || m_tipText.isEmpty())
        return;
    if (m_window->centred()) {
        // Under the control, its middle; over it when there is no room below.
        const QRect r(m_control->mapToGlobal(QPoint(0, 0)), m_control->size());
        m_window->popUp(QPoint(r.center().x(), r.bottom() + 1), QPoint(r.center().x(), r.top()));
    } else if (m_window->balloon()) {
        m_window->popUp(m_mouse, m_mouse);
    } else {
        m_window->popUp(m_mouse + QPoint(0, kCursorDrop), m_mouse);
    }
    m_stay->start();
}

void Class1::hideTip()
{
    m_delay->stop();
    m_stay->stop();
    if (m_window)
        m_window->hide();
}

bool Class1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_control && watched != m_viewport)
        return false;
    switch (event->type()) {
    case QEvent::Enter:
        m_mouse = static_cast<QEnterEvent *>(event)->globalPosition().toPoint();
        arm();
        break;
    case QEvent::MouseMove:
        m_mouse = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
        // The delay counts from the last move: the mouse must rest.
        if (m_delay->isActive())
            m_delay->start();
        else
            arm();
        break;
    case QEvent::Leave:
        // Going from the scroll area into its own viewport is no leaving.
        if (watched == m_control) {
            hideTip();
            m_spent = false;
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::Hide:
        hideTip();
        break;
    default:
        break;
    }
    return false;
}
