#include "CorvaneProcess.h"

#include <unistd.h>

#include <memory>
#include <vector>

namespace {
constexpr int kTimeoutMs = 120000;

// The system's environment with a temporary and a runtime folder of the run's own, and `extra` on top.
QProcessEnvironment Environment(const QString &workingFolder, const QProcessEnvironment &extra)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), workingFolder);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), workingFolder);
    for (const QString &key : extra.keys())
        environment.insert(key, extra.value(key));
    return environment;
}

CorvaneResult WaitForEnd(QProcess &process)
{
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

// A null-terminated array of C strings, made before the fork that uses it.
struct CStrings {
    explicit CStrings(const QList<QByteArray> &strings)
        : bytes(strings)
    {
        for (QByteArray &string : bytes)
            pointers.push_back(string.data());
        pointers.push_back(nullptr);
    }
    QList<QByteArray> bytes;
    std::vector<char *> pointers;
};
} // namespace

QStringList Words(const char *line)
{
    return QString::fromUtf8(line).split(u' ', Qt::SkipEmptyParts);
}

void StartCorvane(QProcess &process, const QString &workingFolder, const QStringList &arguments,
                  const QProcessEnvironment &extraEnvironment, const ChildSetUp &inChild)
{
    process.setProcessEnvironment(Environment(workingFolder, extraEnvironment));
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
    return WaitForEnd(process);
}

CorvaneResult RunCorvaneWithBytes(const QString &workingFolder, const QList<QByteArray> &arguments,
                                  const QProcessEnvironment &extraEnvironment)
{
    QList<QByteArray> environment;
    for (const QString &assignment : Environment(workingFolder, extraEnvironment).toStringList())
        environment.append(assignment.toLocal8Bit());
    const auto argv = std::make_shared<CStrings>(QList<QByteArray>{CORVANE_BINARY} + arguments);
    const auto envp = std::make_shared<CStrings>(environment);
    // QProcess takes its arguments as text; the child replaces itself with the run before QProcess would.
    const ChildSetUp exec = [argv, envp] {
        ::execve(CORVANE_BINARY, argv->pointers.data(), envp->pointers.data());
        ::_exit(127);
    };
    return RunCorvane(workingFolder, {}, extraEnvironment, exec);
}
