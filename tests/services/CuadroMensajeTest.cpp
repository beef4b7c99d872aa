#include "services/CuadroMensaje.h"

#include "platform/Ask.h"
#include "services/Module2.h"
#include "tests/support/DialogAnswerer.h"
#include "tests/support/Readable.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

const QString kTitulo = QStringLiteral("Copiar al Player ");
const QString kTexto = QStringLiteral("Copiar bloque de archivos de Lista 1");

// The playlist's question: three buttons, the text from Module2::TextoCuadro.
int askPlaylist()
{
    CuadroMensaje &c = Module2::createCuadro();
    c.setPresentation(4, 5);
    c.addButton(0, QStringLiteral("Reemplazar"));
    c.addButton(1, QStringLiteral("Añadir"));
    c.addButton(2, QStringLiteral("Cancelar"));
    Module2::TextoCuadro = kTexto;
    Module2::RespuestaCuadro = c.showAndWait(Module2::TextoCuadro, kTitulo);
    Module2::releaseCuadro();
    return Module2::RespuestaCuadro;
}

} // namespace

TEST(CuadroMensaje, AnswersTheButtonPressedEnterTheFirstAndClosingTheLast)
{
    const auto press = [](int index) {
        return [index](QDialog *d) { d->findChild<QPushButton *>(QStringLiteral("Boton%1").arg(index))->click(); };
    };
    const struct
    {
        const char *way;
        std::function<void(QDialog *)> act;
        int answer;
    } rows[] = {
        {"first button", press(0), 0},
        {"second button", press(1), 1},
        {"last button", press(2), 2},
        {"Enter", [](QDialog *d) { QTest::keyClick(d, Qt::Key_Return); }, 0},
        {"close box", [](QDialog *d) { d->close(); }, 2},
        {"Escape", [](QDialog *d) { QTest::keyClick(d, Qt::Key_Escape); }, 2},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.way);
        QString shown;
        whenModal([&](QDialog *d) {
            shown = d->windowTitle() + " | " + d->findChild<QLabel *>("CuadroMensajeTexto")->text();
            r.act(d);
        });
        EXPECT_EQ(askPlaylist(), r.answer);
        EXPECT_EQ(shown, kTitulo + " | " + kTexto);
        EXPECT_TRUE(Module2::Cuadro.isNull()) << "the dialog is released after each message";
    }
}

TEST(CuadroMensaje, ClosingANoticeAnswersItsOnlyButtonAndABoxWithoutButtonsNone)
{
    whenModal([](QDialog *d) { d->reject(); });
    CuadroMensaje aviso;
    aviso.addButton(0, QStringLiteral("Salir"), -1, 0);
    EXPECT_EQ(aviso.showAndWait(QStringLiteral("Aviso"), QStringLiteral("Titulo")), 0);
    EXPECT_EQ(aviso.answer(), 0);
    whenModal([](QDialog *d) { d->close(); });
    CuadroMensaje vacio;
    EXPECT_EQ(vacio.showAndWait(QStringLiteral("x"), QStringLiteral("y")), -1);
}

TEST(CuadroMensaje, ShowsButtonsInIndexOrderWithTheirIndex)
{
    CuadroMensaje c;
    c.addButton(2, QStringLiteral("Cancelar"));
    c.addButton(0, QStringLiteral("Descodificar"));
    c.addButton(1, QStringLiteral("Otro"));
    c.addButton(1, QStringLiteral("Tercero")); // same index: the caption is replaced
    QStringList shown;
    QStringList names;
    whenModal([&](QDialog *d) {
        QList<QPushButton *> buttons = d->findChildren<QPushButton *>();
        std::sort(buttons.begin(), buttons.end(),
                  [](QPushButton *a, QPushButton *b) { return a->mapTo(a->window(), QPoint()).x() < b->mapTo(b->window(), QPoint()).x(); });
        for (QPushButton *b : buttons) {
            shown << b->text();
            names << b->objectName() + "=" + b->property("index").toString();
        }
        d->findChild<QPushButton *>("Boton1")->click();
    });
    EXPECT_EQ(c.showAndWait("t", "x"), 1);
    EXPECT_EQ(shown, (QStringList{"Descodificar", "Tercero", "Cancelar"}));
    EXPECT_EQ(names, (QStringList{"Boton0=0", "Boton1=1", "Boton2=2"}));
}

TEST(CuadroMensaje, ShowsTextTitleAndPictureAsGiven)
{
    const QString path = QStringLiteral("Descodificar el proyecto...D:\\Música\\<Tema> & 1.vip");
    CuadroMensaje &c = Module2::createCuadro();
    c.setPresentation(5, 5);
    c.addButton(0, QStringLiteral("Descodificar"));
    c.addButton(1, QStringLiteral("Cancelar"));
    EXPECT_EQ(c.presentationFirst(), 5);
    CuadroMensaje::Look look;
    QPixmap picture(32, 32);
    picture.fill(Qt::blue);
    look.picture = picture;
    QString title, text;
    bool pictureShown = false;
    QColor textColour;
    whenModal([&](QDialog *d) {
        title = d->windowTitle();
        auto *label = d->findChild<QLabel *>("CuadroMensajeTexto");
        text = label->text();
        textColour = label->palette().color(QPalette::WindowText);
        pictureShown = d->findChild<QLabel *>("CuadroMensajeImagen")->isVisible();
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << "a path is never read as markup";
        d->findChild<QPushButton *>("Boton1")->click();
    });
    EXPECT_EQ(c.showAndWait(path, QStringLiteral("Descodificar Vip"), look), 1);
    Module2::releaseCuadro();
    EXPECT_EQ(title, "Descodificar Vip");
    EXPECT_EQ(text, path);
    EXPECT_TRUE(pictureShown);
    EXPECT_EQ(textColour, QColor(255, 0, 0)) << "colour 255 is &H0000FF: red";
}

TEST(CuadroMensaje, ReleasedWithItsParentWindow)
{
    auto *owner = new QWidget;
    Module2::createCuadro(owner);
    EXPECT_FALSE(Module2::Cuadro.isNull());
    delete owner;
    EXPECT_TRUE(Module2::Cuadro.isNull());
    Module2::releaseCuadro(); // nothing left to release: no crash
}

TEST(CuadroMensaje, ItsFixedTextColourReadsUnderADarkTheme)
{
    const DarkPalette dark;
    struct Case
    {
        quint32 back, text;
    };
    for (const Case c : {Case{0, 255}, Case{0xC0E0FF, 0}, Case{0xC0E0FF, 255}}) {
        SCOPED_TRACE(QStringLiteral("back %1, text %2").arg(c.back, 0, 16).arg(c.text, 0, 16).toStdString());
        CuadroMensaje box;
        box.addButton(0, QStringLiteral("Aceptar"));
        CuadroMensaje::Look look;
        look.backColor = c.back;
        look.textColor = c.text;
        QString why = QStringLiteral("not shown");
        whenModal([&](QDialog *d) {
            auto *label = d->findChild<QLabel *>("CuadroMensajeTexto");
            why = unreadable(label->palette().color(QPalette::WindowText), d->palette().color(QPalette::Window));
            EXPECT_TRUE(d->autoFillBackground());
            d->findChild<QPushButton *>("Boton0")->click();
        });
        box.showAndWait(QStringLiteral("texto"), QStringLiteral("t"), look);
        EXPECT_EQ(why, "");
    }
}
