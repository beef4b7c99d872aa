#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QTemporaryDir>

// The main of every test executable, over one application object of the
// given type for all its tests (a QApplication, offscreen unless a display
// was asked for, where the tests open windows); settings and the home trash
// go to temporary folders, and no volume is given to the trash (for this
// process and every process it starts), so no test touches the user's own
// settings or any trash outside its folders.
template <class Application>
int runTests(int argc, char **argv)
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
