#include "tests/support/TestMain.h"

#include <QApplication>

// The tests that open windows.
int main(int argc, char **argv)
{
    return runTests<QApplication>(argc, argv);
}
