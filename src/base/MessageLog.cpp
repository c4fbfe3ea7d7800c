#include "MessageLog.h"

#include "FailureReporter.h"
#include "Prompter.h"

#include <QFile>

#include <ctime>

CMessageLog theLog;

CMessageLog::CMessageLog(const QString &applicationName)
    : m_applicationName(applicationName)
{
}

CMessageLog::~CMessageLog()
{
    if (!m_buffer.isEmpty())
        Flush();
}

void CMessageLog::SetPath(const QString &path)
{
    m_path = path;
}

QString CMessageLog::DefaultFileName() const
{
    return QLatin1String("Log") + m_applicationName + QLatin1String(".txt");
}

void CMessageLog::Add(const QString &text)
{
    if (m_buffer.isEmpty())
        m_buffer = TimeStampLine();
    m_buffer += text.toUtf8();
    DropLeadingLines();
    thePrompter().LogAdded(text);
}

void CMessageLog::AddAndShow(const QString &text)
{
    if (!text.isEmpty())
        Add(text);
    thePrompter().ShowLog(QString::fromUtf8(m_buffer), text);
}

void CMessageLog::Clear()
{
    if (!theReporter().KeepsLog())
        m_buffer.clear();
}

void CMessageLog::Flush()
{
    if (m_path.isEmpty())
        m_path = DefaultFileName();
    QFile file(m_path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(m_buffer);
    m_buffer.clear();
}

QByteArray CMessageLog::TimeStampLine()
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    if (now == std::time_t(-1) || !localtime_r(&now, &local))
        return {};
    char text[128];
    const std::size_t length = std::strftime(text, sizeof text, "## %c\r\n", &local);
    return length == 0 ? QByteArray() : QByteArray(text, qsizetype(length));
}

void CMessageLog::DropLeadingLines()
{
    while (m_buffer.size() > kMaxBufferLength) {
        const qsizetype cr = m_buffer.indexOf('\r');
        if (cr < 0)
            return;
        m_buffer.remove(0, cr + 1);
    }
}
