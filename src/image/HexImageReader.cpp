#include "HexImageReader.h"

#include "CcsDataSource.h"
#include "SRecordSource.h"
#include "TiHexSource.h"
#include "base/FileName.h"

#include <QDir>

CHexImageReader::CHexImageReader(QIODevice &file, int subfamily, int bytesPerUnit, bool bigEndian)
    : m_input(file)
{
    Detect(subfamily, bytesPerUnit, bigEndian);
}

CHexImageReader::~CHexImageReader() = default;

void CHexImageReader::Detect(int subfamily, int bytesPerUnit, bool bigEndian)
{
    const int first = m_input.Get();
    const int second = m_input.Get();
    const int third = m_input.Get();
    if (third < 0)
        return;
    if (first == 0x02 && second == '\r' && third == '\n') {
        m_source = std::make_unique<CTiHexSource>(m_input, bytesPerUnit);
        m_format = HexTiAscii;
    } else if (first == '1' && second == '6' && third == '5') {
        DetectCcsData(subfamily, bytesPerUnit, bigEndian);
    } else if (first == 'S' && second >= '0' && second <= '3') {
        DetectSRecords(second, bytesPerUnit);
    }
}

void CHexImageReader::DetectCcsData(int subfamily, int bytesPerUnit, bool bigEndian)
{
    if (m_input.Get() != '1')
        return;
    auto source = std::make_unique<CCcsDataSource>(m_input, bytesPerUnit, subfamily, bigEndian);
    if (!source->ReadHeader()) {
        m_strError = source->ErrorText();
        return;
    }
    m_source = std::move(source);
    m_format = HexCcsData;
}

// The first data record names the format; an S0 header before it is optional.
void CHexImageReader::DetectSRecords(int firstType, int bytesPerUnit)
{
    int type = firstType;
    if (type == '0') {
        m_input.SkipPast('S');
        type = m_input.Get();
    }
    if (type >= '1' && type <= '3' && m_input.Rewind()) {
        m_source = std::make_unique<CSRecordSource>(m_input, bytesPerUnit);
        m_format = HexFormat(HexS1 + (type - '1'));
    }
}

int CHexImageReader::ReadBlock(quint32 &address, quint8 *buffer, int capacity)
{
    if (m_source)
        return m_source->ReadBlock(address, buffer, capacity);
    if (!m_bUnknownFormatRead) {
        m_bUnknownFormatRead = true;
        if (m_strError.isEmpty())
            m_strError = QStringLiteral("*** Error *** Unknown Hex File Format.");
    }
    return -1;
}

bool CHexImageReader::HasFailed() const
{
    return m_source ? m_source->HasFailed() : m_bUnknownFormatRead;
}

QString CHexImageReader::ErrorText() const
{
    return m_source ? m_source->ErrorText() : m_strError;
}

QString CHexImageReader::ErrorReport(const QString &path) const
{
    const QString text = ErrorText();
    if (!m_source || text.isEmpty())
        return text;
    return QStringLiteral("%1\r\n%2, line %3")
        .arg(text, QDir::toNativeSeparators(CFileName::Absolute(path)))
        .arg(m_source->ErrorLine());
}
