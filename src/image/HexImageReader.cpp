#include "HexImageReader.h"

#include "BinarySource.h"
#include "CcsDataSource.h"
#include "ElfSource.h"
#include "HexDigit.h"
#include "IntelHexSource.h"
#include "SRecordSource.h"
#include "TektronixExtendedSource.h"
#include "TektronixSource.h"
#include "TiHexSource.h"
#include "TiTaggedSource.h"
#include "TiTxtSource.h"
#include "base/FileName.h"

#include <QDir>

namespace {

HexFormat MarkedFormat(int first, int second, int third, int fourth)
{
    const bool digitPair = HexDigit::Value(second) >= 0 && HexDigit::Value(third) >= 0;
    switch (first) {
    case ':': return digitPair ? HexIntel : HexUnknown;
    case '/': return digitPair ? HexTektronix : HexUnknown;
    case '%': return digitPair && (fourth == '3' || fourth == '6' || fourth == '8') ? HexTektronixExtended : HexUnknown;
    case 'K': return digitPair ? HexTiTagged : HexUnknown;
    case '@': return HexDigit::Value(second) >= 0 ? HexTiTxt : HexUnknown;
    case 0x7F: return second == 'E' && third == 'L' && fourth == 'F' ? HexElf : HexUnknown;
    default: return HexUnknown;
    }
}

} // namespace

CHexImageReader::CHexImageReader(QIODevice &file, int subfamily, int bytesPerUnit, bool bigEndian,
                                 const QString &fileName)
    : m_file(file)
    , m_input(file)
{
    Detect(subfamily, bytesPerUnit, bigEndian, fileName);
}

CHexImageReader::~CHexImageReader() = default;

void CHexImageReader::Detect(int subfamily, int bytesPerUnit, bool bigEndian, const QString &fileName)
{
    if (fileName.endsWith(QLatin1String(".bin"), Qt::CaseInsensitive)) {
        m_source = MakeSource(HexBinary, bytesPerUnit);
        m_format = HexBinary;
        return;
    }
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
    } else {
        DetectMarkedRecords(first, second, third, bytesPerUnit);
    }
}

void CHexImageReader::DetectMarkedRecords(int first, int second, int third, int bytesPerUnit)
{
    const HexFormat format = MarkedFormat(first, second, third, m_input.Get());
    if (format == HexUnknown || !m_input.Rewind())
        return;
    m_source = MakeSource(format, bytesPerUnit);
    m_format = format;
}

std::unique_ptr<CImageBlockSource> CHexImageReader::MakeSource(HexFormat format, int bytesPerUnit)
{
    switch (format) {
    case HexIntel: return std::make_unique<CIntelHexSource>(m_input, bytesPerUnit);
    case HexTektronix: return std::make_unique<CTektronixSource>(m_input, bytesPerUnit);
    case HexTektronixExtended: return std::make_unique<CTektronixExtendedSource>(m_input, bytesPerUnit);
    case HexTiTagged: return std::make_unique<CTiTaggedSource>(m_input, bytesPerUnit);
    case HexTiTxt: return std::make_unique<CTiTxtSource>(m_input, bytesPerUnit);
    case HexElf: return std::make_unique<CElfSource>(m_input, bytesPerUnit, m_file);
    case HexBinary: return std::make_unique<CBinarySource>(m_input, bytesPerUnit);
    default: return nullptr;
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
    const QString file = QDir::toNativeSeparators(CFileName::Absolute(path));
    const QString &place = m_source->ErrorPlace();
    return text + QStringLiteral("\r\n") + (place.isEmpty() ? file : file + QStringLiteral(", ") + place);
}
