#pragma once

#include <QLabel>

// A one-line caption that a small window may make narrower than its text (a
// long path would otherwise widen the window past the screen). When it is
// narrower, the text shows shortened in the middle ("D:\Grab…\Tema.vip")
// and its tooltip, unless one is set, gives the whole text; text() is
// always the whole text.
class FitLabel final : public QLabel
{
public:
    explicit FitLabel(QWidget *parent = nullptr);
    explicit FitLabel(const QString &text, QWidget *parent = nullptr);

    QSize minimumSizeHint() const override;
    // The text is shortened now.
    bool elided() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;
};
