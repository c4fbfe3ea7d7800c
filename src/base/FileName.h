#pragma once

#include <QByteArray>
#include <QString>

class QFile;

// File names as the system has them: bytes, taken as UTF-8 where they are
// valid UTF-8, with each other byte kept as a lone surrogate (U+DC80 + byte),
// so that every name comes back to the system byte for byte. Every path the
// program gets from the command line or the environment, and every path it
// hands to the system, goes through here.
class CFileName {
public:
    static QString FromSystem(const QByteArray &bytes);
    static QByteArray ToSystem(const QString &name);
    // The value of an environment variable that names a file or folder.
    static QString FromEnvironment(const char *variable);

    // `name` made absolute against the current folder, without "." and "..".
    static QString Absolute(const QString &name);
    static bool Exists(const QString &name);
    // Opens `name` with open(2) `flags` (and `mode` for a new file) into
    // `file`; 0 on success, else the system's error number.
    static int Open(QFile &file, const QString &name, int flags, unsigned mode = 0666);
    static bool EnterFolder(const QString &folder);
    // Makes the folder that holds the file `name`, and the folders above it.
    static void MakeFolderOf(const QString &name);
    // The line that follows a message about a file: "/path/name: reason\r\n".
    static QString ReasonLine(const QString &name, const QString &reason);
};
