#include "ConsolePrompter.h"

#include "FileName.h"
#include "MessageLog.h"

CConsolePrompter::CConsolePrompter(std::FILE *stream)
    : m_stream(stream)
{
}

void CConsolePrompter::ShowMessage(const QString &text)
{
    theLog.Add(text.endsWith(QLatin1String("\r\n")) ? text : text + QLatin1String("\r\n"));
}

void CConsolePrompter::ShowLog(const QString &, const QString &)
{
}

void CConsolePrompter::LogAdded(const QString &text)
{
    Print(text);
}

bool CConsolePrompter::AskYesNo(const QString &, bool unattendedAnswer)
{
    return unattendedAnswer;
}

CPrompter::Answer CConsolePrompter::AskYesNoCancel(const QString &, Answer unattendedAnswer)
{
    return unattendedAnswer;
}

void CConsolePrompter::Print(const QString &text)
{
    if (text.isEmpty())
        return;
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (!lines.endsWith(u'\n'))
        lines += u'\n';
    std::fputs(CFileName::ToSystem(lines).constData(), m_stream);
    std::fflush(m_stream);
}
