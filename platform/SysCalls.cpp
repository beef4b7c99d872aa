#include "platform/SysCalls.h"

#include <unistd.h>

namespace SysCalls {

qint64 readUpTo(int fd, char *into, qint64 size, qint64 offset)
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = retryInterrupted([&] {
            const size_t want = size_t(size - done);
            return offset < 0 ? ::read(fd, into + done, want) : ::pread(fd, into + done, want, off_t(offset + done));
        });
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

} // namespace SysCalls
