#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// What a simulated target component file says: the answers of the component,
// its speed and the faults it shows. Keys and defaults: docs/simulator.md.
struct SimComponentSettings {
    // A flash byte some of whose bits always read 0.
    struct StuckBits {
        quint32 offset;   // byte offset in the flash
        quint8 mask;
    };

    quint16 protocol = 4;
    quint16 buffer = 4096;
    quint16 versionMajor = 1;
    quint16 versionMinor = 0;
    quint32 flashBase = 0;
    quint32 flashSize = 0x40000;
    quint16 eraseSeconds = 2;
    quint16 edit = 1;
    quint32 programKibPerSecond = 0;   // 0: programming takes no time

    std::optional<StuckBits> stuckBits;
    quint32 dropWrite = 0;             // the n-th WriteFlash is not performed; 0: none
    std::optional<quint16> wrongEcho;  // answers to this command carry command 0
    std::optional<quint16> noAnswer;   // after this command the target never halts again
    std::optional<quint16> lostAt;     // the connection is lost while the target answers this command
    QString missingSymbol;             // "theMessage" or "doMessageProc" cannot be found
    bool loadError = false;            // the load finishes with an error
};
