#include "GdbServerProcess.h"

#include "GdbConnection.h"
#include "base/MessageLog.h"
#include "debugger/AutomationError.h"

#include <QDeadlineTimer>
#include <QTcpSocket>

#include <csignal>
#include <sys/prctl.h>

CGdbServerProcess::CGdbServerProcess(const SetupGdbServer &server)
    : m_server(server)
    , m_strServer(CGdbConnection::ServerText(server.host, server.port))
{
    m_process.setProgram(server.start.value(0));
    m_process.setArguments(server.start.mid(1));
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    // The server ends with Corvane, however Corvane ends.
    m_process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    QObject::connect(&m_process, &QProcess::finished, &m_process, [this] {
        if (!m_bStopping)
            LogOutput();
    });
}

CGdbServerProcess::~CGdbServerProcess()
{
    m_bStopping = true;
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(m_server.startTimeoutMs))
        m_process.kill();
    m_process.waitForFinished();
}

std::unique_ptr<CGdbConnection> CGdbServerProcess::StartAndConnect()
{
    m_process.start();
    if (!m_process.waitForStarted(m_server.startTimeoutMs))
        Fail(QStringLiteral("Cannot start the GDB server \"%1\": %2.").arg(m_process.program(), m_process.errorString()));
    const QDeadlineTimer deadline(m_server.startTimeoutMs);
    for (;;) {
        auto socket = std::make_unique<QTcpSocket>();
        socket->connectToHost(m_server.host, m_server.port);
        if (socket->waitForConnected(int(std::max<qint64>(deadline.remainingTime(), 1))))
            return std::make_unique<CGdbConnection>(std::move(socket), m_strServer, m_server.timeoutMs);
        if (m_process.state() == QProcess::NotRunning)
            Fail(QStringLiteral("The GDB server \"%1\" ended with exit code %2 before %3 accepted a connection.")
                     .arg(m_process.program())
                     .arg(m_process.exitCode())
                     .arg(m_strServer));
        if (deadline.hasExpired())
            Fail(QStringLiteral("The GDB server \"%1\" did not accept a connection at %2 within %3 seconds.")
                     .arg(m_process.program(), m_strServer, CAutomationError::SecondsText(m_server.startTimeoutMs)));
        m_process.waitForFinished(kRetryMs);   // the pause before the next attempt; ends when the server does
    }
}

void CGdbServerProcess::Fail(const QString &text)
{
    LogOutput();
    throw CAutomationError::Described(text);
}

void CGdbServerProcess::LogOutput()
{
    const QByteArray output = m_process.readAll().trimmed().right(kLoggedOutput);
    if (!output.isEmpty())
        theLog.Add(QStringLiteral("Output of the GDB server \"%1\":\r\n%2\r\n")
                       .arg(m_process.program(), QString::fromLocal8Bit(output)));
}
