#pragma once

#include "base/LockFile.h"

#include <QString>

// One unattended run per connection (board and processor): a run holds an
// exclusive lock on a file named after its connection in the user's private
// folder (CSingleInstance::PrivateFolder) until it ends. The system drops the
// lock with the process, so a run that died leaves nothing to take over, and
// of two runs that start together exactly one gets it.
class CConnectionRunLock {
public:
    enum class ClaimResult {
        Claimed,      // this run has the connection
        Busy,         // another run holds it
        Unavailable,  // no lock file could be made; the run goes on unguarded
    };
    ClaimResult Claim(const QString &connection);

    // "CVRun-" with the user id and a digest of the connection, in the private folder; empty without one.
    static QString LockPath(const QString &connection);

private:
    CLockFile m_file;
};
