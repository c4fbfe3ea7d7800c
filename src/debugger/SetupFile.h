#pragma once

#include "SetupBoard.h"

#include <QByteArray>
#include <QString>

// The setup file that lists the boards and processors to connect to:
// $CORVANE_SETUP, else $XDG_CONFIG_HOME/corvane/setup.ini. Without a file, one
// simulated board per sub-family. Format and examples: docs/setup.md.
class CSetupFile {
public:
    // The file that counts; `explicitlyNamed` tells whether $CORVANE_SETUP named it.
    static QString Path(bool *explicitlyNamed = nullptr);
    // The board list of the setup file, or the built-in list when there is no
    // file. A file that cannot be read or parsed gives a negative status and
    // an error naming the file and line.
    static SetupBoardList Load();
    // Parses the text of a setup file; `path` only names it in errors.
    static SetupBoardList Parse(const QString &path, const QByteArray &text);
    // "sim", "gdb", "ccs", "BYPASS": the kind as the file names it.
    static QString KindName(SetupProcessor::Kind kind);
    // "Simulator 20x" ... "Simulator ARM9", each with one processor "CPU".
    static QList<SetupBoard> BuiltInBoards();
};
