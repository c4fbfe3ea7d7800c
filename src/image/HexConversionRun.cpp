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

// How a run of the utility ended: its exit status, or -1 and why.
struct UtilityRun {
    int status = -1;
    QString reason;  // the line naming the utility and what became of it
};

// Waits for the utility; a signal that ends the run ends it.
UtilityRun WaitFor(QProcess &process, const QString &program)
{
    while (!process.waitForFinished(kSignalPollMs)) {
        if (process.state() == QProcess::NotRunning)
            return {-1, QStringLiteral("%1: %2\r\n").arg(program, process.errorString())};
        if (CSignalExit::TakePending()) {
            process.kill();
            process.waitForFinished(-1);
            return {-1, QStringLiteral("%1: ended with the run\r\n").arg(program)};
        }
    }
    if (process.exitStatus() != QProcess::NormalExit)
        return {-1, QStringLiteral("%1: ended by a signal\r\n").arg(program)};
    return {process.exitCode(), QStringLiteral("%1: exit status %2\r\n").arg(program).arg(process.exitCode())};
}

UtilityRun RunUtility(const QString &utility, const QString &commandFile)
{
    if (utility.isEmpty())
        return {-1, QStringLiteral("There is no hex conversion utility for this processor.\r\n")};
    const QString program = QStandardPaths::findExecutable(utility);
    if (program.isEmpty())
        return {-1, QStringLiteral("%1: not found on PATH\r\n").arg(utility)};
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setChildProcessModifier(InChild);
    process.start(program, {commandFile});
    return WaitFor(process, program);
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
    const UtilityRun run = RunUtility(HexConversionUtility(subfamily), commandFile);
    if (run.status == 0)
        return std::nullopt;
    const QString text = QString::asprintf("Hex Conversion Command Execution Error: %d\r\n", run.status);
    return CFailure::Logged(text + run.reason, CFailure::Then::UnattendedRunEnds);
}
