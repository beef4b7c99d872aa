#include "services/ListPieces.h"

#include "platform/EventPump.h"

#include <QListWidget>

#include <algorithm>

namespace ListPieces {

void fill(QListWidget *list, const QStringList &lines, Progress *progress, int piece,
          const std::function<bool()> &stop)
{
    list->setUpdatesEnabled(false);
    list->clear();
    for (qsizetype from = 0; from < lines.size(); from += piece) {
        list->addItems(lines.mid(from, piece));
        if (progress)
            progress->pump();
        if (stop && stop())
            break;
    }
    list->setUpdatesEnabled(true);
}

QStringList read(const QListWidget *list, Progress *progress)
{
    QStringList out;
    out.reserve(list->count());
    for (int i = 0; i < list->count(); ++i) {
        out << list->item(i)->text();
        if (progress && (i & (kPiece - 1)) == kPiece - 1)
            progress->pump();
    }
    return out;
}

void empty(QListWidget *list, Progress *progress)
{
    while (list->count() > 0) {
        const int n = std::min(list->count(), kPiece);
        list->model()->removeRows(list->count() - n, n);
        if (progress)
            progress->pump();
    }
}

void removeRows(QListWidget *list, const std::function<bool(int)> &gone, Progress *progress)
{
    int looked = 0;
    for (int last = list->count() - 1; last >= 0;) {
        if (progress && ++looked % kPiece == 0)
            progress->pump();
        if (!gone(last)) {
            --last;
            continue;
        }
        int first = last;
        while (first > 0 && last - first + 1 < kPiece && gone(first - 1))
            --first;
        list->model()->removeRows(first, last - first + 1);
        last = first - 1;
        if (progress)
            progress->pump();
    }
}

} // namespace ListPieces
