#include "AutomationError.h"

#include "base/FailureReporter.h"

CAutomationError::CAutomationError(qint32 status, const QString &call)
    : CAutomationError(QStringLiteral("Automation error 0x%1 in %2.")
                           .arg(quint32(status), 8, 16, QLatin1Char('0'))
                           .arg(call)
                           .toStdString(),
                       status)
{
}

CAutomationError::CAutomationError(const std::string &text, qint32 status)
    : std::runtime_error(text)
    , m_nStatus(status)
{
}

CAutomationError CAutomationError::Described(const QString &text, qint32 status)
{
    return CAutomationError(text.toStdString(), status);
}

QString CAutomationError::Text() const
{
    return QString::fromStdString(what());
}

bool RunAtEventLoopBoundary(const std::function<void()> &step,
                            const std::function<void(const CAutomationError &)> &onFailure)
{
    try {
        step();
        return true;
    } catch (const CAutomationError &error) {
        ReportLogged(error.Text() + QStringLiteral("\r\n"));
        if (onFailure)
            onFailure(error);
        return false;
    }
}

QString CAutomationError::SecondsText(qint32 milliseconds)
{
    return QString::number(milliseconds / 1000.0);
}
