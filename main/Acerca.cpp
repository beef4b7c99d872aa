#include "main/Acerca.h"

#include "services/WinColor.h"

#include <QDesktopServices>
#include <QLabel>
#include <QMouseEvent>
#include <QUrl>
#include <QVBoxLayout>

namespace {

std::function<void(const QUrl &)> &opener()
{
    static std::function<void(const QUrl &)> open = [](const QUrl &url) { QDesktopServices::openUrl(url); };
    return open;
}

QLabel *description(QWidget *parent, const char *name, const QString &text)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8.25);
    font.setBold(true);
    l->setFont(font);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, colorFromBgr(0xFF00));
    l->setPalette(pal);
    return l;
}

} // namespace

Acerca::Acerca()
{
    setObjectName(QStringLiteral("Acerca"));
    setWindowTitle(QStringLiteral("    Acerca de..."));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    // The light texts need a dark ground, whatever the desktop's theme.
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(24, 28, 32));
    setPalette(pal);
    setAutoFillBackground(true);
    setMouseTracking(true);

    Label1 = description(this, "Label1", QStringLiteral("Aplicación para la limpieza de proyectos"));
    Label2 = description(this, "Label2", QStringLiteral("Para Samplitude/Sequoia"));
    LabelLink = new QLabel(QStringLiteral("Link: ") + address(), this);
    LabelLink->setObjectName(QStringLiteral("LabelLink"));
    LabelLink->setCursor(Qt::PointingHandCursor);
    setLinkColour(kLinkColour);
    for (QLabel *l : {Label1, Label2, LabelLink}) {
        l->setMouseTracking(true);
        l->installEventFilter(this);
    }

    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(24, 18, 24, 18);
    box->setSpacing(6);
    box->addWidget(Label1, 0, Qt::AlignLeft);
    box->addWidget(Label2, 0, Qt::AlignLeft);
    box->addSpacing(14);
    box->addWidget(LabelLink, 0, Qt::AlignLeft);
    setFixedSize(sizeHint().expandedTo(QSize(320, 0)));
}

Acerca::~Acerca()
{
    SingleWindow<Acerca>::release(this);
}

QString Acerca::address()
{
    return QStringLiteral("https://velmar.example.org/");
}

void Acerca::setOpener(std::function<void(const QUrl &)> open)
{
    opener() = open ? std::move(open) : [](const QUrl &url) { QDesktopServices::openUrl(url); };
}

void Acerca::setLinkColour(quint32 bgr)
{
    QPalette pal = LabelLink->palette();
    pal.setColor(QPalette::WindowText, colorFromBgr(bgr));
    LabelLink->setPalette(pal);
}

void Acerca::Form_MouseMove()
{
    setLinkColour(kLinkColour);
}

void Acerca::LabelLink_MouseMove()
{
    setLinkColour(kLinkHover);
}

void Acerca::LabelLink_Click()
{
    opener()(QUrl(address()));
}

void Acerca::mouseMoveEvent(QMouseEvent *event)
{
    Form_MouseMove();
    QWidget::mouseMoveEvent(event);
}

bool Acerca::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == LabelLink) {
        if (event->type() == QEvent::MouseMove) {
            LabelLink_MouseMove();
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            auto *e = static_cast<QMouseEvent *>(event);
            if (e->button() == Qt::LeftButton && LabelLink->rect().contains(e->position().toPoint()))
                LabelLink_Click();
            return true;
        }
    }
    // The mouse over the other labels is not over the window's ground.
    if ((watched == Label1 || watched == Label2) && event->type() == QEvent::MouseMove)
        return true;
    return QWidget::eventFilter(watched, event);
}
