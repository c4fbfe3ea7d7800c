#include "TerminalProgress.h"

#include "StatusText.h"
#include "config/ControlIds.h"
#include "protocol/FormModel.h"

#include <cstdio>
#include <unistd.h>

CTerminalProgress::CTerminalProgress(CFormModel &form)
    : m_form(form)
    , m_bEnabled(::isatty(STDERR_FILENO) == 1)
{
    if (m_bEnabled)
        connect(&form, &CFormModel::ProgressChanged, this, &CTerminalProgress::Update);
}

CTerminalProgress::~CTerminalProgress()
{
    EndLine();
}

void CTerminalProgress::Update()
{
    const CFormControls &controls = m_form.Controls();
    if (!controls.IsVisible(ControlId::ProgressBar) && m_form.ProgressBytes() == 0) {
        EndLine();
        return;
    }
    const int span = qMax(1, controls.ProgressHigh() - controls.ProgressLow());
    const int percent = (controls.ProgressPosition() - controls.ProgressLow()) * 100 / span;
    const QString status = theStatusText().StatusText();
    const QString line = QStringLiteral("%1 %2% (%3 bytes)").arg(status).arg(percent, 3).arg(m_form.ProgressBytes());
    if (line == m_strLastLine)
        return;
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
