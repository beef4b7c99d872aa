#pragma once

#include <QDialog>
#include <QMap>
#include <QPointer>
#include <QPixmap>
#include <QString>
#include <QStringList>

class QLabel;
class QPushButton;

// The message dialog of the windows: a text, a title and buttons in index
// order; it returns the index of the button pressed (0 is the first button
// added). Closing it without a button (Escape, the window's close box)
// answers with the last button, which every caller makes the cautious one
// (cancel, no). Each button carries its index in the "index" property and is
// named "Boton<index>", so a test finds the modal dialog and clicks it.
class CuadroMensaje final : public QDialog
{
    Q_OBJECT

public:
    // What the callers pass when they show it. The defaults are the values
    // every caller passes; colours are &HBBGGRR, 0 meaning the system colour.
    struct Look
    {
        quint32 backColor = 0;
        quint32 textColor = 255;
        QString textFont = QStringLiteral("MS Sans Serif");
        QString buttonFont = QStringLiteral("MS Sans Serif");
        int textSize = 10;
        int buttonSize = 10;
        int flags = 0;
        QPixmap picture; // shown left of the text; none when null
        int last = -1;
    };

    explicit CuadroMensaje(QWidget *parent = nullptr);

    // The two values set before the buttons (4 and 5; 5 and 5 for the
    // start-up question). Kept, they change nothing shown.
    void setPresentation(int first, int second);
    int presentationFirst() const { return m_presentation[0]; }
    int presentationSecond() const { return m_presentation[1]; }

    // Adds the button of `index`. Buttons show in index order whatever the
    // order they were added in; a second button of the same index replaces
    // the caption of the first. The two values are kept, they change nothing.
    void addButton(quint8 index, const QString &caption, int value1 = 0, int value2 = 0);

    // Shows the dialog modally with `text` and `title` and waits for the
    // answer: the index of the button pressed; the last button's index when
    // it is closed without one; -1 when it has no buttons.
    int showAndWait(const QString &text, const QString &title, const Look &look);
    int showAndWait(const QString &text, const QString &title);

    // The answer of the last showAndWait (-1 before).
    int answer() const { return m_answer; }

    // One whole question: a new dialog with `buttons` (index order), shown
    // and released; returns the index pressed as above. The look is the
    // system's (no picture, the palette's colours).
    static int ask(const QString &title, const QString &text, const QStringList &buttons,
                   QWidget *parent = nullptr);

private:
    int lastIndex() const;

    QLabel *m_picture = nullptr;
    QLabel *m_text = nullptr;
    QWidget *m_buttonRow = nullptr;
    QMap<int, QPushButton *> m_buttons;
    int m_presentation[2] = {0, 0};
    int m_answer = -1;
};

namespace Module2 {

// The message dialog of the message being asked: created anew for each
// message and released after it. It empties itself should the dialog go
// with its parent window.
inline QPointer<CuadroMensaje> Cuadro;

// A new message dialog into Module2::Cuadro, releasing one left there first.
CuadroMensaje &createCuadro(QWidget *parent = nullptr);

// Releases Module2::Cuadro (nothing when it is empty).
void releaseCuadro();

} // namespace Module2
