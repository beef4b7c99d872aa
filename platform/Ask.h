#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The questions the platform stand-ins ask (replace a file? create a
// folder? empty the trash?). The application routes them to its message
// dialog; tests answer them. Unset, every question is answered with its last
// button, which is always the cautious one (no / cancel).
namespace Ask {

using Function = std::function<int(const QString &title, const QString &text, const QStringList &buttons)>;

void setFunction(Function f);

// The index of the button pressed; the last index when no one answers.
int question(const QString &title, const QString &text, const QStringList &buttons);

// "Sí" / "No": true only for "Sí".
bool yes(const QString &title, const QString &text);

} // namespace Ask
