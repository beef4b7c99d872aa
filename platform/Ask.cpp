#include "platform/Ask.h"

namespace Ask {
namespace {

Function &current()
{
    static Function f;
    return f;
}

} // namespace

void setFunction(Function f)
{
    current() = std::move(f);
}

int question(const QString &title, const QString &text, const QStringList &buttons)
{
    const int last = int(buttons.size()) - 1;
    if (!current())
        return last;
    const int answer = current()(title, text, buttons);
    return answer >= 0 && answer <= last ? answer : last;
}

bool yes(const QString &title, const QString &text)
{
    return question(title, text, {QStringLiteral("Sí"), QStringLiteral("No")}) == 0;
}

} // namespace Ask
