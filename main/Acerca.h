#pragma once

#include "services/SingleWindow.h"

#include <QString>
#include <QWidget>

#include <functional>

class QLabel;
class QUrl;

// The About window: what the program is for and a link to its page. Always
// in front of the other windows; the main window's menu shows and hides it.
class Acerca final : public QWidget
{
    Q_OBJECT

public:
    Acerca();
    ~Acerca() override;

    // The program's page.
    static QString address();
    // How the link is opened: the desktop's browser unless a test puts its
    // own opener (an empty one puts the browser back).
    static void setOpener(std::function<void(const QUrl &)> open);

    // The link's text colour at rest and under the mouse (&HBBGGRR).
    static constexpr quint32 kLinkColour = 0xC0FFFF;
    static constexpr quint32 kLinkHover = 0xFFFF00;

    void Form_MouseMove();
    void LabelLink_MouseMove();
    void LabelLink_Click();

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *LabelLink = nullptr;

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setLinkColour(quint32 bgr);
};

// The one About window, created hidden on first use.
inline Acerca &acerca() { return SingleWindow<Acerca>::get(); }
inline bool acercaLoaded() { return SingleWindow<Acerca>::loaded(); }
