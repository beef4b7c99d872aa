#include "tests/support/TestMain.h"

#include <QCoreApplication>

// The tests of rules: no window, and no window library linked.
int main(int argc, char **argv)
{
    return runTests<QCoreApplication>(argc, argv);
}
