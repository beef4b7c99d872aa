#pragma once

#include <QDropEvent>
#include <QMimeData>
#include <QTimer>

#include <utility>

// Takes a drop as a copy and hands its addresses to `take` once the drag has
// ended: the drop's data lives only as long as the event, and a long run
// started inside the drop would hold the file manager's drag until it ends.
template <typename Take>
void takeDropAfterDrag(QDropEvent *e, QObject *context, Take take)
{
    e->setDropAction(Qt::CopyAction);
    e->accept();
    auto *copy = new QMimeData;
    if (e->mimeData()->hasUrls())
        copy->setUrls(e->mimeData()->urls());
    QTimer::singleShot(0, context, [copy, take = std::move(take)] {
        take(copy);
        delete copy;
    });
}
