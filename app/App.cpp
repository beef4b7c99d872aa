#include "app/App.h"

#include "main/Form1.h"
#include "cleanup/ParaBorrar.h"
#include "cleanup/Recuperar.h"
#include "main/Peers.h"
#include "platform/Ask.h"
#include "services/CuadroMensaje.h"

#include <QApplication>

namespace App {

void setup()
{
    Peers::Hooks &h = Peers::hooks();
    h.estaBorrando = [] { return paraBorrarLoaded() && paraBorrar().EstaBorrando; };
    h.toggleParaBorrar = [] {
        ParaBorrar &w = paraBorrar();
        w.setVisible(!w.isVisible());
        if (w.isVisible())
            w.raise();
    };
    h.copiarListBorrados = [] { paraBorrar().CopiarListBorrados(Form1::lines(form1().ListBorrar)); };
    h.showRecuperar = [] {
        Recuperar &w = recuperar();
        w.show();
        w.raise();
    };
    h.unloadRecuperar = [] { unloadRecuperar(); };
    // The questions of the file operations go to the message dialog; closing
    // it answers with the last (cautious) button.
    Ask::setFunction([](const QString &title, const QString &text, const QStringList &buttons) {
        return CuadroMensaje::ask(title, text, buttons, QApplication::activeWindow());
    });
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
