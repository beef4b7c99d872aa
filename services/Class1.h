#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

class QTimer;

// The window a tooltip shows: a plain box or a balloon with a stem, an
// optional title line with its icon, and the text (CR LF or LF separated
// lines, never wrapped). It takes no input and no focus.
class TipWindow final : public QWidget
{
public:
    TipWindow(bool balloon, bool centred);

    // What the window shows. The title line appears only when the title is
    // not empty; the icon (1 information, 2 warning, 3 error, anything else
    // none) only with a title.
    void setTitle(int icon, const QString &title);
    void setText(const QString &text);
    // Colours &HBBGGRR; 0 gives the palette's tooltip colour, unless the
    // other colour is fixed: then one that reads on (under) it.
    void setForeColor(quint32 bgr);
    void setBackColor(quint32 bgr);

    QString title() const { return m_title; }
    int icon() const { return m_icon; }
    QString text() const { return m_text; }
    QColor foreground() const;
    QColor background() const;
    bool balloon() const { return m_balloon; }
    bool centred() const { return m_centred; }

    // Shows the tip pointing at `below` (the tip under it) or, when the
    // screen has no room there, at `above` (the tip over it). A centred tip
    // is centred on the point, any other starts at it. Global coordinates.
    void popUp(QPoint below, QPoint above);
    // The point the tip now points at (the tip of a balloon's stem).
    QPoint anchor() const { return m_anchor; }
    bool pointsUp() const { return m_stemUp; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void place();
    QSize bodySize() const;

    bool m_balloon;
    bool m_centred;
    QString m_title;
    int m_icon = 0;
    QString m_text;
    quint32 m_fore = 0;
    quint32 m_back = 0;
    QPoint m_below;
    QPoint m_above;
    QPoint m_anchor;
    bool m_stemUp = true;
    bool m_placed = false;
};

// A tooltip attached to one control: plain or balloon, with a title and its
// icon, text, colours, centring under the control, the delay before it shows
// and the time it stays. Once created it watches the control's mouse itself:
// it shows after DelayTime ms of the mouse resting over the control (only
// when it has a text) and hides after VisibleTime ms, when the mouse leaves
// or a button is pressed; after VisibleTime it stays hidden until the mouse
// leaves and comes back.
//
// Style, centring and the two times take effect at the next Create; title,
// icon, colours and text go to a live window at once, as each setter says.
// The object owns its window; Destroy (also done by the destructor) removes
// it, the settings stay.
class Class1 final : public QObject
{
    Q_OBJECT

public:
    explicit Class1(QObject *parent = nullptr);
    ~Class1() override;

    // Centre the tip under the control (the field behind Centered).
    bool mvarCentered = false;

    // 1 = balloon, anything else = plain.
    void setStyle(int style) { m_style = style; }
    int Style() const { return m_style; }

    void setCentered(bool centred) { mvarCentered = centred; }
    bool Centered() const { return mvarCentered; }

    // Builds the tip window for `control`, replacing the one there was. A null
    // control builds none. Returns false (callers ignore it).
    bool Create(QWidget *control);

    // 0 none, 1 information, 2 warning, 3 error. A live window gets it (with
    // the title) only when it is not 0 and the title is not empty.
    void setIcon(int icon);
    int Icon() const { return m_icon; }

    // &HBBGGRR, 0 = the system colour; a live window gets it at once.
    void setForeColor(int bgr);
    int ForeColor() const { return m_foreColor; }

    // A live window gets it (with the icon) only when it is not empty and the
    // icon is not 0.
    void setTitle(const QString &title);
    QString Title() const { return m_title; }

    // &HBBGGRR, 0 = the system colour; a live window gets it at once.
    void setBackColor(int bgr);
    int BackColor() const { return m_backColor; }

    // A live window shows the new text at once, also while it is shown.
    void setTipText(const QString &text);
    QString TipText() const { return m_tipText; }

    // Removes the tip window; nothing when there is none.
    void Destroy();

    // Milliseconds; a negative value means the default (7000 and 50).
    int VisibleTime() const { return m_visibleTime; }
    void setVisibleTime(int ms) { m_visibleTime = ms; }
    int DelayTime() const { return m_delayTime; }
    void setDelayTime(int ms) { m_delayTime = ms; }

    // Shows the tip at once at (x, y) of `client` (screen coordinates when
    // there is none), for VisibleTime. Nothing without a window.
    void Show(int x = 0, int y = 0, QWidget *client = nullptr);

    // The tip window (null when there is none) and the control it watches.
    TipWindow *tipWindow() const { return m_window; }
    QWidget *control() const { return m_control; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void arm();
    void popUp();
    void hideTip();
    void watch(bool on);

    int m_backColor = 0;
    QString m_title;
    int m_foreColor = 0;
    int m_icon = 0;
    int m_style = 0;
    QString m_tipText;
    int m_visibleTime = 7000;
    int m_delayTime = 50;

    QPointer<TipWindow> m_window;
    QPointer<QWidget> m_control;
    QPointer<QWidget> m_viewport; // where a scroll area's mouse goes
    QTimer *m_delay;
    QTimer *m_stay;
    QPoint m_mouse;        // last global mouse position over the control
    bool m_spent = false;  // stayed its time: not again until the mouse leaves
};
