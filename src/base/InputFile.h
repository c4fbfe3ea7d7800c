#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Input files that must be regular files: a FIFO would block in open() and a
// device such as /dev/zero never ends. Opening never waits for a writer.
class CInputFile {
public:
    // Opens `name` for reading into `file`; empty on success, else the
    // system's reason ("not a regular file" for folders, FIFOs and devices).
    // `missing` tells whether nothing of that name exists.
    static QString Open(QFile &file, const QString &name, bool *missing = nullptr);
    // The whole regular file `name` into `bytes`; refused when it holds more
    // than `maxBytes`.
    static QString ReadAll(const QString &name, qint64 maxBytes, QByteArray &bytes);
};
