#include "SimStateFolder.h"

#include "SimFlash.h"
#include "SimStateLock.h"
#include "base/FileName.h"
#include "base/XdgDirectory.h"

#include <QCoreApplication>
#include <QHash>
#include <QUrl>

namespace {

QHash<QString, std::weak_ptr<CSimFlash>> &OpenFlashes()
{
    static QHash<QString, std::weak_ptr<CSimFlash>> flashes;
    return flashes;
}

void SaveOpenFlashesAtExit()
{
    CSimStateFolder::SaveAll();
}

} // namespace

QString CSimStateFolder::Path()
{
    const QString named = CFileName::FromEnvironment("CORVANE_SIM_DIR");
    if (!named.isEmpty())
        return named;
    return XdgBaseDirectory("XDG_STATE_HOME", QStringLiteral(".local/state")) + QStringLiteral("/corvane/sim");
}

QString CSimStateFolder::BaseName(const QString &board, const QString &processor)
{
    const QString name = QStringLiteral("%1 (%2)").arg(board, processor);
    return QString::fromLatin1(QUrl::toPercentEncoding(name, QByteArrayLiteral(" ()")));
}

QString CSimStateFolder::FlashPath(const QString &board, const QString &processor)
{
    return Path() + u'/' + BaseName(board, processor) + QStringLiteral(".flash");
}

QString CSimStateFolder::UserDataPath(const QString &board, const QString &processor)
{
    return Path() + u'/' + BaseName(board, processor) + QStringLiteral(".userdata");
}

QString CSimStateFolder::LockPath(const QString &board, const QString &processor)
{
    return Path() + u'/' + BaseName(board, processor) + QStringLiteral(".lock");
}

std::shared_ptr<CSimFlash> CSimStateFolder::OpenFlash(const QString &board, const QString &processor, quint32 size,
                                                      QString &error)
{
    static const bool savedAtExit = [] {
        qAddPostRoutine(SaveOpenFlashesAtExit);
        return true;
    }();
    Q_UNUSED(savedAtExit);

    OpenFlashes().removeIf([](const auto &entry) { return entry.value().expired(); });
    const QString path = FlashPath(board, processor);
    std::shared_ptr<CSimFlash> flash = OpenFlashes().value(path).lock();
    if (flash) {
        flash->Resize(size);
        return flash;
    }
    std::unique_ptr<CSimStateLock> lock = CSimStateLock::Take(LockPath(board, processor), error);
    if (!lock)
        return nullptr;
    flash = std::make_shared<CSimFlash>(path, size);
    error = flash->LoadError();
    if (!error.isEmpty())
        return nullptr;
    flash->HoldLock(std::move(lock));
    OpenFlashes().insert(path, flash);
    return flash;
}

void CSimStateFolder::SaveAll()
{
    for (const std::weak_ptr<CSimFlash> &held : std::as_const(OpenFlashes())) {
        if (const std::shared_ptr<CSimFlash> flash = held.lock())
            flash->Save();
    }
}
