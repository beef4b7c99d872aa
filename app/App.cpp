#include "app/App.h"

#include "main/Form1.h"
#include "main/Peers.h"

namespace App {

void setup()
{
    (void)Peers::hooks();
}

void start(const QStringList &arguments, bool show)
{
    Q_UNUSED(arguments);
    Form1 &f = form1();
    f.Inicio();
    if (show)
        f.show();
}

} // namespace App
