#include "TerminalProgress.h"

#include "base/StatusText.h"
#include "config/ControlIds.h"
#include "form/FormModel.h"

#include <cstdio>
#include <unistd.h>

namespace {
constexpr int kUpdateMs = 200;
} // namespace

CTerminalProgress::CTerminalProgress(CFormModel &form)
    : m_form(form)
{
    if (::isatty(STDERR_FILENO) != 1)
        return;
    connect(&m_timer, &QTimer::timeout, this, &CTerminalProgress::Update);
    m_timer.start(kUpdateMs);
}

CTerminalProgress::~CTerminalProgress()
{
    EndLine();
}

QString CTerminalProgress::CurrentLine() const
{
    if (m_form.State().IsIdle())
        return QString();
    QString line = theStatusText().StatusText().section(QLatin1String("\r\n"), 0, 0);
    const CFormControls &controls = m_form.Controls();
    if (controls.IsVisible(ControlId::ProgressBar)) {
        const int span = qMax(1, controls.ProgressHigh() - controls.ProgressLow());
        const int percent = (controls.ProgressPosition() - controls.ProgressLow()) * 100 / span;
        line += QStringLiteral(" %1% (%2 bytes)").arg(percent, 3).arg(m_form.ProgressBytes());
    }
    return line.trimmed();
}

void CTerminalProgress::Update()
{
    const QString line = CurrentLine();
    if (line == m_strLastLine)
        return;
    if (line.isEmpty()) {
        EndLine();
        return;
    }
    m_strLastLine = line;
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
