#pragma once

#include "CcsBridge.h"
#include "debugger/EventLoopDspUser.h"
#include "debugger/SetupBoard.h"
#include "debugger/Subfamily.h"

#include <QMap>

#include <memory>
#include <optional>

class CCcsMemoryBlock;

// A TI processor reached through Code Composer Studio's scripting, by a
// bridge program (docs/ccs-bridge.md). "TargetConnect" starts the bridge,
// which starts the debugger, configures it and connects to the core;
// "TargetDisconnect" and the end of this object close it. Memory travels in
// the sub-family's units: 16-bit words at word addresses on the data page for
// the 16-bit class, 32-bit words at byte addresses elsewhere; values are kept
// to their width. A resumed target is awaited in short slices from the event
// loop, so that a halt can stop it; its halt, a load's end and the loss of the
// bridge are delivered as events.
class CCcsDspUser : public CEventLoopDspUser {
public:
    static constexpr qint32 kTargetConnectId = 1;
    static constexpr qint32 kTargetDisconnectId = 2;
    static constexpr qint32 kHaltSliceMs = 200;
    static constexpr qint32 kMaxBlockValues = 1 << 20;

    CCcsDspUser(const SetupCcs &setup, const SubfamilyInfo &subfamily);
    ~CCcsDspUser() override;

    std::shared_ptr<IDspValue> CreateAddressValue(quint32 address) override;
    std::shared_ptr<IDspMemory> CreateMemory(const IDspValue &start, qint32 elementCount, quint32 page) override;
    bool ReadBlock(IDspMemory &block) override;
    bool WriteBlock(IDspMemory &block) override;
    void Run() override;
    void Halt() override;
    void SetBreakpoint(const IDspValue &location) override;
    void RemoveBreakpoint(const IDspValue &location) override;
    bool FindSymbol(const QString &name, IDspValue &value) override;
    bool LoadProgram(const QString &path) override;
    qint32 Family() override { return m_subfamily.family; }
    qint32 Subfamily() override { return m_subfamily.code; }
    qint32 NamedMethodId(const QString &name) override;
    void InvokeNamedMethod(qint32 id) override;

    // "CCS debugger (C28xx_CPU1)".
    QString Where() const;

private:
    CCcsBridge &Bridge() const;
    void Connect();
    void Disconnect();
    // The answer's result; a refusal raises CAutomationError with `failure` and the debugger's words.
    QJsonObject Ask(const QString &op, const QJsonObject &arguments, const QString &failure);
    QJsonObject BlockArguments(const CCcsMemoryBlock &block) const;
    bool Refused(const CCcsBridge::Answer &answer, const QString &failure) const;
    void AwaitHalt();
    void AwaitNextSlice();
    void OnWaited(const CCcsBridge::Answer &answer);
    void OnLost(const QString &reason);
    quint32 Pc();

    SetupCcs m_setup;
    SubfamilyInfo m_subfamily;
    std::unique_ptr<CCcsBridge> m_pBridge;
    QMap<quint32, qint64> m_breakpoints;   // address and the debugger's handle
    bool m_bRunning = false;
};
