#include "CorvaneProcess.h"

namespace {
constexpr int kTimeoutMs = 120000;
} // namespace

void StartCorvane(QProcess &process, const QString &workingFolder, const QStringList &arguments,
                  const QProcessEnvironment &extraEnvironment, const ChildSetUp &inChild)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), workingFolder);
    for (const QString &key : extraEnvironment.keys())
        environment.insert(key, extraEnvironment.value(key));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingFolder);
    if (inChild)
        process.setChildProcessModifier(inChild);
    process.start(QStringLiteral(CORVANE_BINARY), arguments);
}

CorvaneResult RunCorvane(const QString &workingFolder, const QStringList &arguments,
                         const QProcessEnvironment &extraEnvironment, const ChildSetUp &inChild)
{
    QProcess process;
    StartCorvane(process, workingFolder, arguments, extraEnvironment, inChild);
    CorvaneResult result;
    if (!process.waitForFinished(kTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        result.err = "corvane did not finish in time";
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}
