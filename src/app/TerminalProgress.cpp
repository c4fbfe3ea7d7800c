#include "TerminalProgress.h"

#include "flash/FlashSession.h"

#include <cstdio>
#include <unistd.h>

namespace {
constexpr int kUpdateMs = 200;
} // namespace

CTerminalProgress::CTerminalProgress(CFlashSession &session)
    : m_session(session)
{
    if (::isatty(STDERR_FILENO) != 1)
        return;
    connect(&session, &CFlashSession::Progress, this, &CTerminalProgress::OnProgress);
    connect(&session, &CFlashSession::OperationEnded, this, [this] {
        if (m_session.IsIdle())
            EndLine();
    });
}

CTerminalProgress::~CTerminalProgress()
{
    EndLine();
}

void CTerminalProgress::OnProgress(const CProgressEvent &event)
{
    const bool statusChanged = event.status && *event.status != m_strStatus;
    if (event.status)
        m_strStatus = *event.status;
    if (event.bar != CProgressEvent::Bar::Unchanged)
        m_bProgressShown = event.bar == CProgressEvent::Bar::Shown;
    if (event.bar == CProgressEvent::Bar::Shown) {
        m_nPercent = event.total > 0 ? event.done * 100 / event.total : 0;
        m_nBytes = event.bytes;
    }
    Show(statusChanged);
}

QString CTerminalProgress::CurrentLine() const
{
    QString line = m_strStatus.section(QLatin1String("\r\n"), 0, 0);
    if (m_bProgressShown)
        line += QStringLiteral(" %1% (%2 bytes)").arg(m_nPercent, 3).arg(m_nBytes);
    return line.trimmed();
}

void CTerminalProgress::Show(bool now)
{
    if (!now && m_sinceShown.isValid() && m_sinceShown.elapsed() < kUpdateMs)
        return;
    const QString line = CurrentLine();
    if (line == m_strLastLine || line.isEmpty())
        return;
    m_strLastLine = line;
    m_sinceShown.start();
    std::fprintf(stderr, "\r%s\033[K", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

void CTerminalProgress::EndLine()
{
    if (m_strLastLine.isEmpty())
        return;
    std::fputs("\n", stderr);
    std::fflush(stderr);
    m_strLastLine.clear();
}
