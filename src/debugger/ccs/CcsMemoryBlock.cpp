#include "CcsMemoryBlock.h"

#include "debugger/AutomationError.h"

#include <algorithm>
#include <cctype>

CCcsMemoryBlock::CCcsMemoryBlock(quint32 address, std::optional<quint32> page, qint32 bits, qint32 valueCount,
                                 qint32 indexStep)
    : m_nAddress(address)
    , m_page(page)
    , m_nBits(bits)
    , m_nIndexStep(indexStep)
    , m_values(valueCount, 0)
{
}

qint32 CCcsMemoryBlock::ValueIndex(qint32 index, const char *call) const
{
    if (index < 0 || index % m_nIndexStep != 0 || index / m_nIndexStep >= m_values.size())
        throw CAutomationError(CAutomationError::kBadIndex, QString::fromLatin1(call));
    return index / m_nIndexStep;
}

quint32 CCcsMemoryBlock::Element(qint32 index) const
{
    return m_values[ValueIndex(index, "DspMemory.Element")];
}

// The value is kept to the block's width, as the target keeps it.
void CCcsMemoryBlock::SetElement(qint32 index, quint32 value)
{
    const quint32 mask = m_nBits >= 32 ? 0xFFFFFFFFu : (1u << m_nBits) - 1;
    m_values[ValueIndex(index, "DspMemory.SetElement")] = value & mask;
}

QString CCcsMemoryBlock::Hex() const
{
    QString hex;
    hex.reserve(m_values.size() * (m_nBits / 4));
    for (const quint32 value : m_values)
        hex += QStringLiteral("%1").arg(value, m_nBits / 4, 16, QLatin1Char('0'));
    return hex;
}

bool CCcsMemoryBlock::SetHex(const QString &hex)
{
    const qint32 digits = m_nBits / 4;
    if (hex.size() != qsizetype(m_values.size()) * digits)
        return false;
    QList<quint32> values(m_values.size());
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QStringView text = QStringView(hex).mid(i * digits, digits);
        if (!std::all_of(text.begin(), text.end(), [](QChar c) { return std::isxdigit(c.toLatin1()) && c.unicode() < 0x80; }))
            return false;
        values[i] = text.toUInt(nullptr, 16);
    }
    m_values = values;
    return true;
}
