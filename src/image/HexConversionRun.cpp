#include "HexConversionRun.h"

#include "base/SignalExit.h"

#include <QProcess>
#include <QStandardPaths>

#include <csignal>
#include <sys/prctl.h>

namespace {

// How often the wait for the utility looks for a signal that ends the run.
constexpr int kSignalPollMs = 100;

// The utility ends with the run, however the run ends.
void InChild()
{
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
}

// Waits for the utility; a signal that ends the run ends it. True when it ran to its own end.
bool WaitFor(QProcess &process)
{
    while (!process.waitForFinished(kSignalPollMs)) {
        if (process.state() == QProcess::NotRunning)
            return false;
        if (CSignalExit::TakePending()) {
            process.kill();
            process.waitForFinished(-1);
            return false;
        }
    }
    return process.exitStatus() == QProcess::NormalExit;
}

// The utility's exit status, or -1 when it cannot be found, started or finished normally.
int RunUtility(const QString &utility, const QString &commandFile)
{
    if (utility.isEmpty())
        return -1;
    const QString program = QStandardPaths::findExecutable(utility);
    if (program.isEmpty())
        return -1;
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setChildProcessModifier(InChild);
    process.start(program, {commandFile});
    return WaitFor(process) ? process.exitCode() : -1;
}

} // namespace

QString HexConversionUtility(int subfamily)
{
    switch (subfamily) {
    case 1:
    case 2:
        return QStringLiteral("hex470");
    case 0x20:
    case 0x24:
    case 0x27:
    case 0x28:
        return QStringLiteral("dsphex");
    case 0x54:
        return QStringLiteral("hex500");
    case 0x55:
        return QStringLiteral("hex55");
    case 0x62:
    case 0x64:
    case 0x67:
        return QStringLiteral("hex6x");
    default:
        return QString();
    }
}

std::optional<CFailure> HexConversionRun(const QString &commandFile, int subfamily)
{
    if (commandFile.isEmpty())
        return std::nullopt;
    const int status = RunUtility(HexConversionUtility(subfamily), commandFile);
    if (status == 0)
        return std::nullopt;
    return CFailure::Logged(QString::asprintf("Hex Conversion Command Execution Error: %d\r\n", status),
                            CFailure::Then::UnattendedRunEnds);
}
