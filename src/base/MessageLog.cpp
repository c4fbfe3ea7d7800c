#include "MessageLog.h"

#include "FailureReporter.h"
#include "FileName.h"
#include "Prompter.h"
#include "ReplacingFile.h"

#include <QFile>

#include <ctime>
#include <fcntl.h>

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
    m_buffer += CFileName::ToSystem(text);
    DropLeadingLines();
    thePrompter().LogAdded(text);
}

void CMessageLog::AddAndShow(const QString &text)
{
    if (!text.isEmpty())
        Add(text);
    thePrompter().ShowLog(CFileName::FromSystem(m_buffer), text);
}

void CMessageLog::Clear()
{
    if (!theReporter().KeepsLog())
        m_buffer.clear();
}

// The default name is replaced, never written through a link planted there. A
// path the command line gave is written as it stands: it may be a device such
// as /dev/stderr; a FIFO without a reader loses the log instead of waiting.
void CMessageLog::Flush()
{
    QFile file;
    if (m_path.isEmpty())
        CReplacingFile::WriteWhole(DefaultFileName(), m_buffer);
    else if (CFileName::Open(file, m_path, O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC) == 0)
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
