#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QStringList>

// Runs the corvane binary to its end in a working folder, with its own
// temporary folder so that copies started by parallel tests never meet.
struct CorvaneResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

CorvaneResult RunCorvane(const QString &workingFolder, const QStringList &arguments,
                         const QProcessEnvironment &extraEnvironment = QProcessEnvironment(),
                         int timeoutMs = 120000);
