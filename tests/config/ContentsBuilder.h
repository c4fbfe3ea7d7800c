#pragma once

#include <QByteArray>
#include <QString>
#include <QtEndian>

// Builds Contents streams byte by byte, as the stored forms lay them out.
class ContentsBuilder {
public:
    ContentsBuilder &U8(quint8 value) { return Raw(QByteArray(1, char(value))); }
    ContentsBuilder &U16(quint16 value) { return Little(value); }
    ContentsBuilder &U32(quint32 value) { return Little(value); }
    // A narrow string with a one-byte length prefix.
    ContentsBuilder &Str(const char *text) { return U8(quint8(qstrlen(text))).Raw(text); }
    ContentsBuilder &Raw(const QByteArray &bytes)
    {
        m_bytes += bytes;
        return *this;
    }
    QByteArray Bytes() const { return m_bytes; }

private:
    template <typename T>
    ContentsBuilder &Little(T value)
    {
        char little[sizeof(T)];
        qToLittleEndian<T>(value, little);
        return Raw(QByteArray(little, sizeof(T)));
    }

    QByteArray m_bytes;
};
