#pragma once

#include <QString>

// A test of what the program writes whatever the system's locale runs under
// the C locale: in this process when it already is the system's, else again
// in a child process started with LC_ALL=C, whose verdict the parent reports.
namespace CLocale {

enum class Run {
    Here,   // go on with the test body in this process
    Done,   // the child ran it and passed
    Failed, // the child failed (its output is in `output`)
};

Run underCLocale(QString *output);

} // namespace CLocale

#define RUN_UNDER_C_LOCALE()                                                                      \
    do {                                                                                          \
        QString cLocaleOutput_;                                                                   \
        switch (CLocale::underCLocale(&cLocaleOutput_)) {                                         \
        case CLocale::Run::Here:                                                                  \
            break;                                                                                \
        case CLocale::Run::Done:                                                                  \
            return;                                                                               \
        case CLocale::Run::Failed:                                                                \
            FAIL() << "under the C locale:\n" << cLocaleOutput_.toStdString();                    \
        }                                                                                         \
    } while (false)
