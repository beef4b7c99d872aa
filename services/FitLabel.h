#pragma once

#include <QLabel>

// A caption that a small window may make narrower than its text (a long
// path would otherwise widen the window past the screen). Narrower, the
// text wraps at its blanks; a word still wider than the caption (a path)
// makes it show on one line shortened in the middle ("D:\Grab…\Tema.vip"),
// and then its tooltip, unless one is set, gives the whole text. text() is
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
