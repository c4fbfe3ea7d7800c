#pragma once

#include "DocumentFields.h"
#include "base/Result.h"

#include <QByteArray>
#include <QString>

class QIODevice;

// Text configuration files: one "KEY VALUE" line per document field, the key
// being the number of the form control that shows the field.
class CTextConfig {
public:
    enum class ItemStatus {
        Item,          // a key and its value were read
        EndOfFile,
        MissingValue,  // a key without a value on its line
    };

    // Fills `fields` from the file; its errors are reported, and a file that
    // cannot be opened ends an unattended run. Returns true when the file was
    // read without error.
    static bool LoadTextConfig(CDocumentFields &fields, const QString &path);
    static bool LoadTextConfig(CDocumentFields &fields, QIODevice &file);
    // Reads the next key line. The value has no leading or trailing blanks and tabs.
    static ItemStatus ReadTextConfigItem(QIODevice &file, quint32 &key, QString &value);
    // Sets the field of `key` from `value`; false for a key that names no field.
    static bool ApplyItem(CDocumentFields &fields, quint32 key, const QString &value);
    // The fields as a text configuration in `text`: every key in order, CR LF
    // line ends. A value that holds a line break would read back as further
    // keys: it is refused with a message naming its key, and `text` is left.
    static CResult Format(const CDocumentFields &fields, QByteArray &text);
};
