#include "GdbTargetDescription.h"

#include <QXmlStreamReader>

CGdbTargetDescription::CGdbTargetDescription(Fetch fetch)
    : m_fetch(std::move(fetch))
{
}

std::optional<int> CGdbTargetDescription::PcRegister()
{
    m_visited.clear();
    m_nNext = 0;
    m_pc.reset();
    Walk(QStringLiteral("target.xml"), 0);
    return m_pc;
}

// False once the pc is found, which ends the walk.
bool CGdbTargetDescription::Walk(const QString &annex, int depth)
{
    if (depth > kMaxDepth || m_visited.contains(annex))
        return true;
    m_visited.insert(annex);
    const std::optional<QByteArray> text = m_fetch(annex);
    if (!text)
        return true;
    QXmlStreamReader xml(*text);
    xml.setNamespaceProcessing(false);   // "xi:" is often left undeclared
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (xml.qualifiedName() == QLatin1String("xi:include")) {
            if (!Walk(attributes.value(QLatin1String("href")).toString(), depth + 1))
                return false;
        } else if (xml.qualifiedName() == QLatin1String("reg")) {
            bool numbered = false;
            const int number = attributes.value(QLatin1String("regnum")).toInt(&numbered);
            m_nNext = numbered ? number : m_nNext;
            if (attributes.value(QLatin1String("name")).compare(QLatin1String("pc"), Qt::CaseInsensitive) == 0) {
                m_pc = m_nNext;
                return false;
            }
            ++m_nNext;
        }
    }
    return true;
}
