#pragma once

#include <QtGlobal>

#include <cerrno>

// Reads and writes on file descriptors where a signal may cut a call short.
namespace SysCalls {

// Makes the call again for as long as it fails (a negative result) with
// EINTR: a signal arrived before it did anything. Any other result, errno
// with it, is the caller's.
template <typename Call>
auto retryInterrupted(Call call)
{
    for (;;) {
        const auto result = call();
        if (!(result < 0 && errno == EINTR))
            return result;
    }
}

// Reads up to `size` bytes at the file's position (moving it), or at
// `offset` when it is 0 or more (not moving it); fewer only at the end of
// the file or on an error (errno set).
qint64 readUpTo(int fd, char *into, qint64 size, qint64 offset = -1);

} // namespace SysCalls
