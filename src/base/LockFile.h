#pragma once

#include <QString>

#include <sys/types.h>

// An exclusive lock on a file, held until the object ends. The system drops
// it with the process, so a run that died leaves nothing to take over.
class CLockFile {
public:
    CLockFile() = default;
    ~CLockFile();
    CLockFile(const CLockFile &) = delete;
    CLockFile &operator=(const CLockFile &) = delete;

    // Opens `path` (made with `mode`, never through a link) and locks it,
    // trying again for up to `waitMs` (0: not at all) while another process holds it.
    // 0 once held, else the errno (EWOULDBLOCK: another process kept it).
    int Take(const QString &path, mode_t mode, int waitMs);

private:
    int m_fd = -1;
};
