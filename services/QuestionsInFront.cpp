#include "services/QuestionsInFront.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace QuestionsInFront {
namespace {

bool isQuestion(const QWidget *w)
{
    return w->isWindow() && w->isModal() && w->windowType() != Qt::Popup && w->windowType() != Qt::ToolTip;
}

void bringUp(QWidget *w)
{
    w->raise();
    w->activateWindow();
}

// Shown: the window is made and about to be mapped. Its flags are given
// to its native window as they stand, not through QWidget::setWindowFlags,
// which would hide it again and make it anew. It is made a question of the
// whole program rather than of the window that asked (its owner in Qt stays
// that window): a window manager keeps such a question above every window
// of the program, also when the user clicks a window that stays on top.
void stayOnTop(QWidget *w)
{
    if (!w->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        w->overrideWindowFlags(w->windowFlags() | Qt::WindowStaysOnTopHint);
    QWindow *native = w->windowHandle();
    if (!native)
        return;
    if (!native->flags().testFlag(Qt::WindowStaysOnTopHint))
        native->setFlags(native->flags() | Qt::WindowStaysOnTopHint);
    native->setTransientParent(nullptr);
}

// Raised and activated again once the event loop runs: a window manager
// maps the window after the show returns, and may have put another window
// above it meanwhile.
void bringUpLater(QWidget *w)
{
    QTimer::singleShot(0, w, [guard = QPointer<QWidget>(w)] {
        if (guard && guard->isVisible())
            bringUp(guard);
    });
}

class Watch final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!watched->isWidgetType())
            return false;
        auto *w = static_cast<QWidget *>(watched);
        switch (event->type()) {
        case QEvent::Show:
            if (isQuestion(w)) {
                stayOnTop(w);
                bringUp(w);
                bringUpLater(w);
            }
            break;
        case QEvent::WindowActivate:
            // A click on a window that the question blocks brings that
            // window forward (the window manager does, whatever Qt refuses):
            // the question goes back above it.
            if (QWidget *question = QApplication::activeModalWidget();
                question && w->isWindow() && question != w && !question->isAncestorOf(w))
                bringUpLater(question);
            break;
        default:
            break;
        }
        return false;
    }
};

QPointer<Watch> &watch()
{
    static QPointer<Watch> w;
    return w;
}

} // namespace

void install()
{
    if (watch() || !qApp)
        return;
    watch() = new Watch(qApp);
    qApp->installEventFilter(watch());
}

bool installed()
{
    return !watch().isNull();
}

} // namespace QuestionsInFront
