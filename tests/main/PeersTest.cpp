#include "main/Peers.h"

#include <gtest/gtest.h>

// A call to a window above the main window that nobody installed is a
// fault of the build: it ends the program at once, with a message, instead
// of doing nothing.
TEST(PeersDeathTest, ACallBeforeTheWindowsAreInstalledEndsTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Peers::uninstall();
    EXPECT_DEATH(Peers::player(), "the player window was called before the windows were put together");
    EXPECT_DEATH(Peers::deletion(), "the deletion window was called");
    EXPECT_DEATH(Peers::restore(), "the restore window was called");
    EXPECT_DEATH(Peers::associated(), "the associated-files window was called");
}
