#pragma once

#include <QString>

// What a shell stand-in did: done, declined by the user at its question, or
// failed (with the reason, in the user's language).
struct ShellResult
{
    enum Outcome { Done, Declined, Failed };
    Outcome outcome = Failed;
    QString reason;

    bool done() const { return outcome == Done; }
    static ShellResult ok() { return {Done, {}}; }
    static ShellResult declined() { return {Declined, {}}; }
    static ShellResult failed(const QString &why) { return {Failed, why}; }
};
