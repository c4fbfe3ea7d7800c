#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// Where a GDB server listens, how long it may take to answer, and the server
// program Corvane starts itself when one is given.
struct SetupGdbServer {
    static constexpr qint32 kDefaultTimeoutMs = 10000;

    QString host;
    quint16 port = 0;
    qint32 timeoutMs = kDefaultTimeoutMs;       // for the answer to one packet
    QStringList start;                          // program and arguments; empty: the server runs already
    qint32 startTimeoutMs = kDefaultTimeoutMs;  // until the started server accepts a connection
};

// TI's debugger, reached through its scripting by a bridge program.
struct SetupCcs {
    enum class Api { Automatic, Scripting, Dss };
    static constexpr qint32 kDefaultTimeoutMs = 10000;
    static constexpr qint32 kDefaultStartTimeoutMs = 120000;

    QString root;      // the installation, holding ccs/ (absolute)
    QString ccxml;     // the target configuration (absolute)
    QString core;      // the core, or a part of its name
    Api api = Api::Automatic;   // Automatic: what the installation has
    QString python;    // the interpreter of the scripting bridge; empty: CCS's own, else python3
    qint32 timeoutMs = kDefaultTimeoutMs;            // for one call to the debugger
    qint32 startTimeoutMs = kDefaultStartTimeoutMs;  // for start, configure and connect
};

// A processor as the setup lists it: its name and what its backend needs.
struct SetupProcessor {
    enum class Kind { Bypass, Simulator, Gdb, Ccs };

    QString name;
    Kind kind = Kind::Simulator;
    qint32 subfamily = 0;   // the sub-family code
    bool bigEndian = false; // the byte order of target words
    SetupGdbServer gdb;     // GDB: the server
    SetupCcs ccs;           // CCS: the installation and the core
};

// A board as the setup lists it, with its processors in order.
struct SetupBoard {
    QString name;
    QList<SetupProcessor> processors;
};

// The setup's board list and its status: negative when it could not be had,
// with `error` saying why.
struct SetupBoardList {
    qint32 status = 0;
    QString error;
    QList<SetupBoard> boards;
};
