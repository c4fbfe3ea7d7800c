#include "RecentFileList.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {
const char kSection[] = "Recent File List";
const char kEllipsis[] = "...";

QString EntryKey(int index)
{
    return QStringLiteral("%1/File%2").arg(QLatin1String(kSection)).arg(index + 1);
}
} // namespace

CRecentFileList::CRecentFileList()
{
    const QSettings settings;
    for (int i = 0; i < kSize; ++i) {
        const QString path = settings.value(EntryKey(i)).toString();
        if (!path.isEmpty())
            m_paths.append(path);
    }
}

void CRecentFileList::Add(const QString &path)
{
    m_paths.removeAll(path);
    m_paths.prepend(path);
    while (m_paths.size() > kSize)
        m_paths.removeLast();
    Save();
}

void CRecentFileList::Remove(int index)
{
    if (index < 0 || index >= m_paths.size())
        return;
    m_paths.removeAt(index);
    Save();
}

void CRecentFileList::Save() const
{
    QSettings settings;
    settings.remove(QLatin1String(kSection));
    for (int i = 0; i < m_paths.size(); ++i)
        settings.setValue(EntryKey(i), m_paths[i]);
}

QString CRecentFileList::DisplayName(int index, const QString &currentFolder) const
{
    const QFileInfo file(m_paths.value(index));
    if (QDir::cleanPath(file.absolutePath()) == QDir::cleanPath(currentFolder))
        return file.fileName();
    return Abbreviate(m_paths.value(index), kMaxDisplayLength);
}

QString CRecentFileList::Abbreviate(const QString &path, int maxLength)
{
    if (path.size() <= maxLength)
        return path;
    const QString root = path.startsWith(u'/') ? QStringLiteral("/") : QString();
    QStringList parts = path.mid(root.size()).split(u'/');
    const QString name = parts.takeLast();
    while (!parts.isEmpty()) {
        parts.removeFirst();
        const QString shortened = root + QLatin1String(kEllipsis) + u'/' + (parts + QStringList {name}).join(u'/');
        if (shortened.size() <= maxLength)
            return shortened;
    }
    return name;
}
