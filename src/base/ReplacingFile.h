#pragma once

#include <QByteArray>
#include <QString>

// A new file for `name`, written beside it and renamed over it by Commit. The
// name is replaced, never written through: a symbolic link there is replaced,
// not followed. Until Commit succeeds the old file stays whole; a file the name
// held keeps its permissions. An uncommitted new file is removed.
class CReplacingFile {
public:
    explicit CReplacingFile(const QString &name);
    ~CReplacingFile();
    CReplacingFile(const CReplacingFile &) = delete;
    CReplacingFile &operator=(const CReplacingFile &) = delete;

    bool Open();
    bool Write(const QByteArray &bytes);
    // Writes out and syncs the new file, then renames it over the name.
    bool Commit();
    // The system's reason for the first failure.
    QString ErrorString() const { return m_strError; }

    // Replaces `name` by a file holding `bytes`; empty on success, else the reason.
    static QString WriteWhole(const QString &name, const QByteArray &bytes);

private:
    bool CreateBeside(unsigned mode, bool keepMode);
    // Writes what Write has gathered.
    bool WritePending();
    bool Fail(const QString &reason);
    void Discard();

    QString m_strName;
    QString m_strNewName;
    int m_fd = -1;
    QByteArray m_pending;
    QString m_strError;
};
