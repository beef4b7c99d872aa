#include "services/SingleWindow.h"

#include <QCoreApplication>
#include <QList>
#include <QPointer>

#include <utility>

namespace SingleWindows {
namespace {

QList<QPointer<QWidget>> &windows()
{
    static QList<QPointer<QWidget>> list;
    return list;
}

} // namespace

void made(QWidget *window)
{
    QList<QPointer<QWidget>> &list = windows();
    list.removeAll(QPointer<QWidget>());
    list.append(window);
}

void destroyAll()
{
    const QList<QPointer<QWidget>> list = std::exchange(windows(), {});
    for (const QPointer<QWidget> &w : list)
        delete w.data();
}

} // namespace SingleWindows
