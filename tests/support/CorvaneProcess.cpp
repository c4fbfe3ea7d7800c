#include "CorvaneProcess.h"

#include <QProcess>

CorvaneResult RunCorvane(const QString &workingFolder, const QStringList &arguments,
                         const QProcessEnvironment &extraEnvironment, int timeoutMs)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), workingFolder);
    for (const QString &key : extraEnvironment.keys())
        environment.insert(key, extraEnvironment.value(key));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingFolder);
    process.start(QStringLiteral(CORVANE_BINARY), arguments);
    CorvaneResult result;
    if (!process.waitForFinished(timeoutMs)) {
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
