#pragma once

#include <QString>

// Root reads every file, so a test of unreadable files means nothing when
// the tests run as root (as CI does). Such a test calls asOrdinaryUser()
// first: as an ordinary user it goes on itself; as root the same test runs
// again in a child process as user "nobody", and the parent reports that
// child's verdict.
namespace OrdinaryUser {

enum class Run {
    Here,    // go on with the test body in this process
    Done,    // the child ran it and passed
    Failed,  // the child ran it and failed (its output is in `output`)
    Skipped, // no way to become an ordinary user here (reason in `output`)
};

Run asOrdinaryUser(QString *output);

} // namespace OrdinaryUser

// The whole dance in one line at the top of a test body.
#define RUN_AS_ORDINARY_USER()                                                                    \
    do {                                                                                          \
        QString ordinaryUserOutput_;                                                              \
        switch (OrdinaryUser::asOrdinaryUser(&ordinaryUserOutput_)) {                             \
        case OrdinaryUser::Run::Here:                                                             \
            break;                                                                                \
        case OrdinaryUser::Run::Done:                                                             \
            return;                                                                               \
        case OrdinaryUser::Run::Failed:                                                           \
            FAIL() << "as an ordinary user:\n" << ordinaryUserOutput_.toStdString();              \
        case OrdinaryUser::Run::Skipped:                                                          \
            GTEST_SKIP() << ordinaryUserOutput_.toStdString();                                    \
        }                                                                                         \
    } while (false)
