#include "ContentsCodec.h"

#include <QStringDecoder>
#include <QtEndian>

namespace {

using Status = CContentsCodec::Status;

// Length prefix markers: 0xFF before a 16-bit length, 0xFFFF before a 32-bit
// one, and 0xFFFE announcing a string of UTF-16LE characters.
constexpr quint8 kLongerLength = 0xFF;
constexpr quint16 kLongestLength = 0xFFFF;
constexpr quint16 kWideMarker = 0xFFFE;

// UTF-8 to text keeping every character, a leading byte-order mark too.
QString Utf8Text(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

class ContentsWriter {
public:
    void U16(quint16 value) { Append<quint16>(value); }
    void U32(quint32 value) { Append<quint32>(value); }
    void I32(qint32 value) { Append<quint32>(quint32(value)); }

    void String(const QString &text)
    {
        const QByteArray bytes = text.toUtf8();
        const auto length = quint32(bytes.size());
        if (length < kLongerLength) {
            Append<quint8>(quint8(length));
        } else if (length < kWideMarker) {
            Append<quint8>(kLongerLength);
            Append<quint16>(quint16(length));
        } else {
            Append<quint8>(kLongerLength);
            Append<quint16>(kLongestLength);
            Append<quint32>(length);
        }
        m_bytes += bytes;
    }

    QByteArray Bytes() const { return m_bytes; }

private:
    template <typename T>
    void Append(T value)
    {
        char little[sizeof(T)];
        qToLittleEndian<T>(value, little);
        m_bytes.append(little, sizeof(T));
    }

    QByteArray m_bytes;
};

// Reads fields in order; the first failure sticks and later reads give zeros.
class ContentsReader {
public:
    explicit ContentsReader(const QByteArray &bytes) : m_bytes(bytes) {}

    quint16 U16() { return Read<quint16>(); }
    quint32 U32() { return Read<quint32>(); }
    qint32 I32() { return qint32(Read<quint32>()); }

    QString String()
    {
        bool wide = false;
        quint32 length = Read<quint8>();
        if (length == kLongerLength) {
            length = Read<quint16>();
            if (length == kWideMarker) {
                wide = true;
                length = Read<quint8>();
                if (length == kLongerLength)
                    length = Read<quint16>();
            }
            if (length == kLongestLength)
                length = Read<quint32>();
        }
        const qint64 byteCount = qint64(length) * (wide ? 2 : 1);
        if (m_status != Status::Loaded)
            return QString();
        if (byteCount > Remaining()) {
            m_status = Status::StringBeyondEnd;
            return QString();
        }
        const char *data = m_bytes.constData() + m_position;
        m_position += byteCount;
        if (!wide)
            return Utf8Text(QByteArrayView(data, byteCount));
        QString text(qsizetype(length), Qt::Uninitialized);
        qFromLittleEndian<quint16>(data, qsizetype(length), text.data());
        return text;
    }

    Status StatusSoFar() const { return m_status; }

private:
    qint64 Remaining() const { return m_bytes.size() - m_position; }

    template <typename T>
    T Read()
    {
        if (m_status != Status::Loaded)
            return 0;
        if (Remaining() < qint64(sizeof(T))) {
            m_status = Status::CutShort;
            return 0;
        }
        const T value = qFromLittleEndian<T>(m_bytes.constData() + m_position);
        m_position += sizeof(T);
        return value;
    }

    const QByteArray &m_bytes;
    qint64 m_position = 0;
    Status m_status = Status::Loaded;
};

// The fields that schemas 0 to 3 do not store take these values.
void SetFieldsMissingBeforeSchema4(CDocumentFields &fields)
{
    fields.m_nConnSelHigh = 0;
    fields.m_strConnection = QStringLiteral("Disconnected");
    fields.m_nConnSelLow = 0;
    fields.m_nFamily = 320;
    fields.m_bOverrideFlash = 0;
}

} // namespace

QByteArray CContentsCodec::Encode(const CDocumentFields &fields)
{
    ContentsWriter out;
    out.U16(CDocumentFields::kCurrentSchema);
    out.String(fields.m_strHexCmdFile);
    out.I32(fields.m_nSubfamily);
    out.U32(fields.m_nFlashBase);
    out.U32(fields.m_nFlashSize);
    out.String(fields.m_strBurnFile);
    out.U32(fields.m_nImageOffset);
    out.String(fields.m_strCvtcFile);
    out.U16(fields.m_bVerifyWrite);
    out.U16(fields.m_bWriteBootAddr);
    out.I32(fields.m_nConnSelHigh);
    out.String(fields.m_strConnection);
    out.I32(fields.m_nConnSelLow);
    out.I32(fields.m_nFamily);
    out.I32(fields.m_bOverrideFlash);
    return out.Bytes();
}

CContentsCodec::Result CContentsCodec::Decode(const QByteArray &contents, CDocumentFields &fields)
{
    ContentsReader in(contents);
    const quint16 schema = in.U16();
    if (in.StatusSoFar() != Status::Loaded)
        return {in.StatusSoFar(), 0};
    if (schema > CDocumentFields::kCurrentSchema)
        return {Status::LaterSchema, schema};

    CDocumentFields read = fields;
    read.m_wSchema = CDocumentFields::kCurrentSchema;
    if (schema >= 1)
        read.m_strHexCmdFile = in.String();
    if (schema == 1)
        read.m_strHexCmdFile.clear();  // stored, but not used in that schema
    read.m_nSubfamily = schema < 3 ? qint32(in.U16()) : in.I32();
    read.m_nFlashBase = in.U32();
    read.m_nFlashSize = in.U32();
    read.m_strBurnFile = in.String();
    read.m_nImageOffset = in.U32();
    read.m_strCvtcFile = in.String();
    read.m_bVerifyWrite = in.U16();
    read.m_bWriteBootAddr = schema == 0 ? 1 : in.U16();
    if (schema >= 4) {
        read.m_nConnSelHigh = in.I32();
        read.m_strConnection = in.String();
        read.m_nConnSelLow = in.I32();
        read.m_nFamily = in.I32();
        read.m_bOverrideFlash = in.I32();
        if (read.m_bOverrideFlash == 0)
            read.m_nFlashBase = read.m_nFlashSize = 0;
    } else {
        SetFieldsMissingBeforeSchema4(read);
    }
    if (in.StatusSoFar() == Status::Loaded)
        fields = read;
    return {in.StatusSoFar(), schema};
}
