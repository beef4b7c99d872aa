#include "services/FitLabel.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

namespace {

// Narrower than this a caption says nothing any more.
constexpr int kNarrowest = 60;

} // namespace

FitLabel::FitLabel(QWidget *parent) : FitLabel(QString(), parent) {}

FitLabel::FitLabel(const QString &text, QWidget *parent) : QLabel(text, parent)
{
    setWordWrap(true);
}

QSize FitLabel::minimumSizeHint() const
{
    QSize s = QLabel::minimumSizeHint();
    s.setWidth(std::min(s.width(), kNarrowest));
    return s;
}

bool FitLabel::elided() const
{
    const int room = contentsRect().width() - 2 * margin();
    const QFontMetrics fm = fontMetrics();
    if (fm.horizontalAdvance(text()) <= room)
        return false;
    if (!wordWrap() || text().contains(u'\n'))
        return true;
    for (const QString &word : text().split(u' ', Qt::SkipEmptyParts))
        if (fm.horizontalAdvance(word) > room)
            return true;
    return false;
}

void FitLabel::paintEvent(QPaintEvent *event)
{
    if (!elided()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter p(this);
    const QRect room = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideMiddle, room.width());
    style()->drawItemText(&p, room, int(QStyle::visualAlignment(layoutDirection(), alignment())), palette(),
                          isEnabled(), shown, foregroundRole());
}

bool FitLabel::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty() && elided()) {
        QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), text(), this);
        return true;
    }
    return QLabel::event(event);
}
