#pragma once

#include "SetupBoard.h"

#include <QString>

#include <functional>
#include <memory>

class IDspUser;
struct SubfamilyInfo;

// The backends by the setup's kind of processor. The debugger layer makes a
// processor through it and knows no backend itself; the program registers
// every backend once at start (RegisterDebuggerBackends).
class CBackendRegistry {
public:
    struct Backend {
        // The processor `processor` of board `board`, of sub-family `subfamily`.
        std::function<std::shared_ptr<IDspUser>(const QString &board, const SetupProcessor &processor,
                                                const SubfamilyInfo &subfamily)>
            make;
        // Where a processor of this kind leads, for the connection list: "GDB server 127.0.0.1:1234".
        std::function<QString(const SetupProcessor &processor)> describe;
    };

    static void Register(SetupProcessor::Kind kind, Backend backend);
    // Null when no backend of the processor's kind is registered.
    static std::shared_ptr<IDspUser> Make(const QString &board, const SetupProcessor &processor,
                                          const SubfamilyInfo &subfamily);
    // Empty when no backend of the processor's kind is registered.
    static QString Describe(const SetupProcessor &processor);
};
