#include "app/App.h"

#include "cleanup/Form2.h"
#include "cleanup/ParaBorrar.h"
#include "cleanup/Recuperar.h"
#include "main/Form1.h"
#include "main/Peers.h"
#include "platform/Ask.h"
#include "player/FormMedia.h"
#include "services/CuadroMensaje.h"
#include "services/QuestionsInFront.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace App {

void setup()
{
#if defined(__GLIBC__)
    // A project is read a megabyte at a time, and a large folder's names in
    // large pieces. Such buffers come from the heap and go back to it rather
    // than to the system, so that the lists filled after them take the same
    // pages instead of new ones: a first touch of a page is a fault, and on
    // some machines faults cost more than the work that touches them. (The
    // library raises its limits this way by itself, up to these values, as
    // large buffers are freed; this takes them from the start.)
    // Small blocks are merged with their neighbours as they are freed, not
    // gathered and merged all at once by the next large block freed: letting
    // go of a large tree's names froze the window 30 ms at a time.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
    mallopt(M_MXFAST, 0);
#endif
    // Qt's own dialogs and boxes speak the program's language, whatever the
    // user's locale ("Cancelar", "Buscar en:"), as its own texts do.
    static QTranslator qtbase;
    static const bool loaded = qtbase.load(QLocale(QLocale::Spanish, QLocale::Spain), QStringLiteral("qtbase"),
                                           QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    static bool installed = false;
    if (loaded && !installed)
        installed = QCoreApplication::installTranslator(&qtbase);

    // Every question opens above every window, the ones that stay on top
    // included, with the keyboard focus.
    QuestionsInFront::install();
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
