#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <functional>

// Runs the corvane binary in a working folder that is also its temporary
// and runtime folder, so that copies started by parallel tests never meet.
struct CorvaneResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// The arguments of `line`, split at blanks.
QStringList Words(const char *line);

// Runs in the child between fork and exec: file descriptors, a umask.
using ChildSetUp = std::function<void()>;

// Starts the binary; the test waits for it or ends it.
void StartCorvane(QProcess &process, const QString &workingFolder, const QStringList &arguments,
                  const QProcessEnvironment &extraEnvironment = QProcessEnvironment(), const ChildSetUp &inChild = {});
// Starts the binary and runs it to its end.
CorvaneResult RunCorvane(const QString &workingFolder, const QStringList &arguments,
                         const QProcessEnvironment &extraEnvironment = QProcessEnvironment(),
                         const ChildSetUp &inChild = {});
// Runs the binary with its arguments as bytes: names that are not valid UTF-8,
// which QProcess cannot carry.
CorvaneResult RunCorvaneWithBytes(const QString &workingFolder, const QList<QByteArray> &arguments,
                                  const QProcessEnvironment &extraEnvironment = QProcessEnvironment());
