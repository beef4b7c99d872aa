#include "tests/support/TestMain.h"

#include <QApplication>

// The tests that open windows.
int main(int argc, char **argv)
{
#ifdef VELMAR_TEST_SCALE_FACTOR
    // The windows at this scale, as a desktop scaled up shows them.
    qputenv("QT_SCALE_FACTOR", VELMAR_TEST_SCALE_FACTOR);
#endif
    return runTests<QApplication>(argc, argv);
}
