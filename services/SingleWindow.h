#pragma once

#include <QWidget>

// Every window of the program is one global instance, created hidden on
// first use and kept until it is unloaded. SingleWindow<W> holds that
// instance for the window class W: the window's own accessors (form1(),
// form1Loaded(), ...) are one line each over it, and its destructor calls
// release().
template <typename W>
class SingleWindow
{
public:
    // The window, created when there is none.
    static W &get();
    static bool loaded() { return s_window != nullptr; }
    // The window when it is loaded, else null.
    static W *find() { return s_window; }
    // `window` stops being the program's one (it is destroyed, or closed for
    // good and waiting to be): the next get() creates a new one.
    static void release(const QWidget *window)
    {
        if (s_window && static_cast<const QWidget *>(s_window) == window)
            s_window = nullptr;
    }
    // Closes the window when it is loaded: its close handler stores what it
    // keeps and unloads it.
    static void close()
    {
        if (s_window)
            s_window->close();
    }
    // Closed for good: released at once, hidden, deleted once the event loop
    // runs again (its handler may still be on the stack).
    static void discard(W *window)
    {
        release(window);
        window->hide();
        window->deleteLater();
    }

private:
    static inline W *s_window = nullptr;
};

namespace SingleWindows {

// Notes a window that SingleWindow<W>::get() made.
void made(QWidget *window);

// Deletes every window that SingleWindow<W>::get() made and that still
// exists, without running its unload handler (nothing is stored): a test
// starts the next one from nothing.
void destroyAll();

} // namespace SingleWindows

template <typename W>
W &SingleWindow<W>::get()
{
    if (!s_window) {
        s_window = new W;
        SingleWindows::made(s_window);
    }
    return *s_window;
}
