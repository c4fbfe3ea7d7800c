#pragma once

#include <QByteArray>
#include <QString>

// One stream in the root storage of a compound file (the Compound File Binary
// format), read and written through libgsf.
class CCompoundFile {
public:
    enum class ReadStatus {
        Read,
        CannotOpen,       // the file cannot be opened for reading
        NotCompoundFile,  // not a compound file, or its header or directory is damaged
        NoSuchStream,     // the root storage holds no stream of that name
        StreamUnreadable, // the stream is cut short or claims more bytes than the file holds
    };
    struct ReadResult {
        ReadStatus status = ReadStatus::Read;
        QByteArray data;
        QString detail;  // the library's own words, when it gave any
    };

    static ReadResult ReadStream(const QString &path, const char *streamName);
    // Writes a compound file holding just this stream. The file is written
    // beside `path` and renamed over it (CReplacingFile), so a failure leaves
    // any old file whole.
    // Returns an empty text on success, else the reason.
    static QString WriteStream(const QString &path, const char *streamName, const QByteArray &data);
};
