#pragma once

#include "base/LockFile.h"

#include <QString>

#include <memory>

// Keeps other runs off one simulated board's state while this run holds it:
// an exclusive lock on a lock file beside the state files, let go when the
// object ends.
class CSimStateLock {
public:
    // How long Take waits for another run to let go.
    static constexpr int kWaitMs = 2000;

    // The lock on the file `path`; null with `error` set when another run
    // kept it for kWaitMs or the file cannot be made.
    static std::unique_ptr<CSimStateLock> Take(const QString &path, QString &error);

private:
    CSimStateLock() = default;

    CLockFile m_file;
};
