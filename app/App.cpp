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
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace App {

void setup()
{
    // Qt's own dialogs and boxes speak the program's language, whatever the
    // user's locale ("Cancelar", "Buscar en:"), as its own texts do.
    static QTranslator qtbase;
    static const bool loaded = qtbase.load(QLocale(QLocale::Spanish, QLocale::Spain), QStringLiteral("qtbase"),
                                           QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    static bool installed = false;
    if (loaded && !installed)
        installed = QCoreApplication::installTranslator(&qtbase);

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
