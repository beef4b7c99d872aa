#include <gtest/gtest.h>

#include <QTemporaryDir>

#ifdef VELMAR_TEST_WINDOWS
#include <QApplication>
using Application = QApplication;
#else
#include <QCoreApplication>
using Application = QCoreApplication;
#endif

// One application object for every test of an executable (a QApplication,
// offscreen unless a display was asked for, where the tests open windows);
// settings and the home trash go to temporary folders, and no volume is
// given to the trash (for this process and every process it starts), so no
// test touches the user's own settings or any trash outside its folders.
int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    if (!qEnvironmentVariableIsSet("VELMAR_KEEP_XDG")) {
        qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
        qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toLocal8Bit());
        qputenv("WINEPREFIX", (home.path() + QStringLiteral("/wine")).toLocal8Bit());
    }
    qputenv("VELMAR_TRASH_VOLUMES", QByteArray(""));
    Application app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
