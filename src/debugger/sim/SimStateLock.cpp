#include "SimStateLock.h"

#include "base/FileName.h"

#include <QDir>

#include <cerrno>

std::unique_ptr<CSimStateLock> CSimStateLock::Take(const QString &path, QString &error)
{
    CFileName::MakeFolderOf(path);
    std::unique_ptr<CSimStateLock> lock(new CSimStateLock);
    const int reason = lock->m_file.Take(path, 0666, kWaitMs);
    if (reason == 0)
        return lock;
    const QString where = QDir::toNativeSeparators(path);
    error = reason == EWOULDBLOCK
        ? QStringLiteral("The simulated board's state %1 is held by another run.").arg(where)
        : QStringLiteral("Cannot lock the simulated board's state %1: %2.").arg(where, qt_error_string(reason));
    return nullptr;
}
