#pragma once

#include <QString>
#include <QStringList>

// The most recently used documents, newest first, kept in the profile as
// "Recent File List" / "File1" to "File4".
class CRecentFileList {
public:
    static constexpr int kSize = 4;
    static constexpr int kMaxDisplayLength = 30;

    // Reads the list from the profile.
    CRecentFileList();

    const QStringList &Paths() const { return m_paths; }
    // Puts `path` first (once) and saves the list.
    void Add(const QString &path);
    void Remove(int index);

    // How the File menu and the start-up dialog name entry `index`: the file
    // name for a file in `currentFolder`, otherwise the path shortened to
    // kMaxDisplayLength characters by leaving out leading folders.
    QString DisplayName(int index, const QString &currentFolder) const;
    static QString Abbreviate(const QString &path, int maxLength);

private:
    void Save() const;

    QStringList m_paths;
};
