#pragma once

#include "CommandLineInfo.h"

#include <QString>
#include <QStringList>

#include <optional>

// What the command line asks of this run. Start-up reads it once
// (CCorvaneApp::ApplyCommandLine); the rest of the program only reads it.
// Fields that the start mode does not use keep their defaults.
struct CRunOptions {
    using ShellCommand = CCorvaneCommandLineInfo::ShellCommand;

    // False in command-line runs and configuration conversions: no windows, no user.
    bool interactive = true;
    bool verbose = false;
    // The values among the arguments: the three numbers of "-g", else the
    // document followed by the further files.
    QStringList values;

    // The start's document and how it is opened.
    QString documentPath;
    ShellCommand shellCommand = ShellCommand::FileNew;
    // "-t": the text configuration every new document reads, set even when no file was named.
    std::optional<QString> textConfigPath;

    // Command-line runs.
    bool eraseRequested = false;
    bool saveFlashRequested = false;
    quint32 saveFlashStart = 0;
    quint32 saveFlashLength = 0;
    // Seconds to wait for each answer of the target; 0 waits forever.
    static constexpr int kDefaultAnswerTimeoutSeconds = 30;
    int answerTimeoutSeconds = kDefaultAnswerTimeoutSeconds;
    // "--changed-only": write only the blocks that differ from the flash.
    bool changedOnly = false;
    // "--report": the JSON run report's path; empty for none.
    QString reportPath;

    // Configuration conversions.
    bool printConfigRequested = false;
    QString saveAsPath;

    // The files after the document, in order; -1 when not even a document was named.
    int FurtherFileCount() const { return int(values.size()) - 1; }
    QString FurtherFile(int index) const { return values.value(index + 1); }
};
