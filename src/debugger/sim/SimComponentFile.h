#pragma once

#include "SimComponentSettings.h"

#include <QByteArray>
#include <QString>

// Reads a simulated target component file: the first line
// "# corvane simulated target component", then "key = value" lines.
class CSimComponentFile {
public:
    static const QString kFirstLine;
    // Largest flash the simulator keeps (bytes).
    static constexpr quint32 kMaxFlashSize = 512u * 1024 * 1024;
    // Largest file read: its keys and comments fit many times over.
    static constexpr qint64 kMaxFileBytes = 64 * 1024;

    // False with `error` naming the file and line when the text is not a
    // component file or holds a bad line.
    static bool Parse(const QString &path, const QByteArray &text, SimComponentSettings &settings, QString &error);
};
