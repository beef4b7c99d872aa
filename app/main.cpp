#include "app/App.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmar"));
    App::setup();
    App::start(QApplication::arguments().mid(1));
    return app.exec();
}
