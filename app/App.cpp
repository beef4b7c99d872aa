#include "app/App.h"

#include "cleanup/Form2.h"
#include "cleanup/ParaBorrar.h"
#include "cleanup/Recuperar.h"
#include "main/Form1.h"
#include "main/Peers.h"
#include "platform/Ask.h"
#include "player/FormMedia.h"
#include "services/CuadroMensaje.h"

#include <QApplication>

namespace App {

void setup()
{
    Peers::install({formMediaPeer(), paraBorrarPeer(), recuperarPeer(), form2Peer()});
    // The questions of the file operations go to the message dialog; closing
    // it answers with the last (cautious) button.
    Ask::setFunction([](const QString &title, const QString &text, const QStringList &buttons) {
        return CuadroMensaje::ask(title, text, buttons, QApplication::activeWindow());
    });
}

void start(const QStringList &arguments, bool show)
{
    Form1 &f = form1();
    f.Inicio();
    if (show)
        f.Form_Load(arguments);
}

} // namespace App
