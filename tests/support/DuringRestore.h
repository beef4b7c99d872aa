#pragma once

#include <functional>
#include <utility>

#include <sys/types.h>
#include <unistd.h>

// What a test sets to run, once, from inside a restore's copy, where the
// restore lets window events run: a click that must find the windows busy.
// Install writeAndAct() as the restore's write to have it run.
inline std::function<void()> &duringRestore()
{
    static std::function<void()> action;
    return action;
}

inline ssize_t writeAndAct(int fd, const void *data, size_t size)
{
    if (duringRestore())
        std::exchange(duringRestore(), nullptr)();
    return ::write(fd, data, size);
}
