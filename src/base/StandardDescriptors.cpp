#include "StandardDescriptors.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

void CStandardDescriptors::OpenClosedOnes()
{
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lower descriptors are open by now, so the lowest free one is `fd`.
        const int opened = ::open("/dev/null", O_RDWR);
        if (opened > fd) {
            ::dup2(opened, fd);
            ::close(opened);
        }
    }
}
