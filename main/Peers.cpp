#include "main/Peers.h"

#include <QtGlobal>

namespace Peers {
namespace {

std::optional<Windows> g_windows;
MainWindow *g_main = nullptr;

const Windows &windows(const char *which)
{
    if (!g_windows)
        qFatal("velmar: the %s window was called before the windows were put together", which);
    return *g_windows;
}

} // namespace

void install(const Windows &w)
{
    g_windows.emplace(w);
}

void uninstall()
{
    g_windows.reset();
}

void setMainWindow(MainWindow *window)
{
    g_main = window;
}

MainWindow *mainWindow()
{
    return g_main;
}

bool installed()
{
    return g_windows.has_value();
}

PlayerWindow &player()
{
    return windows("player").player;
}

DeletionWindow &deletion()
{
    return windows("deletion").deletion;
}

RestoreWindow &restore()
{
    return windows("restore").restore;
}

AssociatedFilesWindow &associated()
{
    return windows("associated-files").associated;
}

} // namespace Peers
