#include "app/App.h"

#include "main/Form1.h"
#include "cleanup/ParaBorrar.h"
#include "cleanup/Recuperar.h"
#include "main/Peers.h"
#include "player/AudioInfo.h"
#include "platform/Ask.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace App {
namespace {

// The questions of the file operations, as a dialog with the buttons in
// index order; closing it answers with the last (cautious) button.
int askWithDialog(const QString &title, const QString &text, const QStringList &buttons)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, QApplication::activeWindow());
    QList<QAbstractButton *> made;
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        QPushButton *b = box.addButton(buttons[i], QMessageBox::ActionRole);
        b->setProperty("index", int(i));
        made << b;
    }
    if (!made.isEmpty())
        box.setEscapeButton(made.last());
    box.exec();
    const int pressed = int(made.indexOf(box.clickedButton()));
    return pressed >= 0 ? pressed : int(buttons.size()) - 1;
}

} // namespace

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
    h.audioInfo = [](const QString &ext, const QString &file) -> std::optional<QString> {
        if (ext == QStringLiteral("wav"))
            return AudioInfo::InfoWav(file);
        if (ext == QStringLiteral("mp3"))
            return AudioInfo::InfoMp3(file);
        return std::nullopt;
    };
    Ask::setFunction([](const QString &title, const QString &text, const QStringList &buttons) {
        return askWithDialog(title, text, buttons);
    });
}

void start(const QStringList &arguments, bool show)
{
    Q_UNUSED(arguments);
    Form1 &f = form1();
    f.Inicio();
    if (show)
        f.Form_Load(arguments);
}

} // namespace App
