#include "services/WindowKeys.h"

#include <QAbstractButton>
#include <QPointer>
#include <QShortcut>
#include <QWidget>

namespace WindowKeys {

void closeOnEscape(QWidget *window, QAbstractButton *salir)
{
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    escape->setContext(Qt::WindowShortcut);
    QObject::connect(escape, &QShortcut::activated, salir, [button = QPointer<QAbstractButton>(salir)] {
        if (button && button->isVisible() && button->isEnabled())
            button->click();
    });
}

} // namespace WindowKeys
