#include "MessageLog.h"

#include "FailureReporter.h"
#include "FileName.h"
#include "Prompter.h"
#include "ReplacingFile.h"

#include <QFile>

#include <ctime>
#include <fcntl.h>

CMessageLog theLog;

namespace {
// Drops whole leading lines while the text is longer than `limit`.
template <typename Text>
void DropLeadingLines(Text &text, qsizetype limit)
{
    while (text.size() > limit) {
        const qsizetype cr = text.indexOf('\r');
        if (cr < 0)
            return;
        text.remove(0, cr + 1);
    }
}
} // namespace

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
    m_messages += text;
    DropLeadingLines(m_messages, kMaxBufferLength);
    AddToBuffer(text);
}

void CMessageLog::AddTrace(const QString &text)
{
    AddToBuffer(text);
}

void CMessageLog::AddToBuffer(const QString &text)
{
    if (m_buffer.isEmpty())
        m_buffer = TimeStampLine();
    m_buffer += CFileName::ToSystem(text);
    DropLeadingLines(m_buffer, kMaxBufferLength);
    thePrompter().LogAdded(text);
}

void CMessageLog::AddAndShow(const QString &text)
{
    if (!text.isEmpty())
        Add(text);
    if (m_messages.isEmpty())
        return;
    thePrompter().ShowLog(m_messages, text);
    m_messages.clear();
}

void CMessageLog::Clear()
{
    if (theReporter().KeepsLog())
        return;
    m_buffer.clear();
    m_messages.clear();
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
    m_messages.clear();
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
