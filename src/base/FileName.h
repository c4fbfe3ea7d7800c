#pragma once

#include <QString>

// File names as messages show them.
class CFileName {
public:
    // `name` made absolute against the current folder, without "." and "..".
    static QString Absolute(const QString &name);
    // The line that follows a message about a file: "/path/name: reason\r\n".
    static QString ReasonLine(const QString &name, const QString &reason);
};
