#pragma once

#include "DocumentFields.h"

#include <QByteArray>

// The "Contents" stream of a configuration document: the stored fields in
// order, 16- and 32-bit little-endian numbers, strings as UTF-8 bytes behind a
// length prefix. Writes the current schema; reads schemas 0 to 4.
class CContentsCodec {
public:
    enum class Status {
        Loaded,           // fields read (possibly from an older schema, see storedSchema)
        LaterSchema,      // schema above the current one; nothing read
        CutShort,         // the stream ends before a field its schema needs
        StringBeyondEnd,  // a string's length runs past the stream's end
    };
    struct Result {
        Status status = Status::Loaded;
        quint16 storedSchema = 0;
    };

    static QByteArray Encode(const CDocumentFields &fields);
    // Reads the stream into `fields`, which keep their values unless the result is Loaded.
    static Result Decode(const QByteArray &contents, CDocumentFields &fields);
};
