#pragma once

#include "debugger/EventLoopDspUser.h"
#include "debugger/Subfamily.h"

#include <QSet>
#include <QTimer>

class CommMessage;
class CSimTargetComponent;
class CSimTargetMemory;
struct SimComponentSettings;

// A simulated processor as the debugger layer sees it. A loaded simulated
// target component starts at its entry, runs to "doMessageProc" and, each time
// it is resumed there, answers the request in "theMessage" and halts there
// again. Halts and load ends are delivered from the event loop, after the
// simulated duration; an event only reaches a processor that still exists.
class CSimDspUser : public CEventLoopDspUser {
public:
    // Code addresses of the simulated component.
    static constexpr quint32 kResetAddress = 0x0000;
    static constexpr quint32 kEntryAddress = 0x1000;
    static constexpr quint32 kMessageProcAddress = 0x2000;
    static constexpr quint32 kBusyAddress = 0x2100;    // answering a request
    static constexpr quint32 kIdleAddress = 0x2200;    // running without a breakpoint to stop at
    static constexpr qint32 kTargetConnectId = 1;
    // Ends the connection: saves the board's state and lets go of it; raises
    // CAutomationError when the board could not keep what it was sent.
    static constexpr qint32 kTargetDisconnectId = 2;
    // What every call raises once the connection is lost ("fault.lost_at").
    static constexpr const char *kLostText = "The simulated board's connection was lost.";

    CSimDspUser(const QString &board, const QString &processor, const SubfamilyInfo &subfamily, bool bigEndian);
    ~CSimDspUser() override;

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

private:
    enum class Pending { None, ReachMessageProc, FinishRequest };

    std::optional<quint32> SymbolAddress(const QString &name) const;
    // Starts the component the file describes; the load's error, empty when it started.
    QString StartComponent(const QString &path, const SimComponentSettings &settings);
    void Connect();
    void Disconnect();
    void Schedule(Pending step, qint64 delayMs);
    void OnStepDue();
    void StartRequest();
    void FinishRequest();
    void ReachMessageProc();
    void StopRunning();
    void RaiseIfLost() const;
    CommMessage ReadRequest() const;
    void WriteAnswer(const CommMessage &answer);

    QString m_strBoard;
    QString m_strProcessor;
    SubfamilyInfo m_subfamily;
    std::shared_ptr<CSimTargetMemory> m_pMemory;
    std::unique_ptr<CSimTargetComponent> m_pComponent;
    QString m_strMissingSymbol;
    bool m_bConnected = false;
    bool m_bRunning = false;
    bool m_bLost = false;
    quint32 m_nLocation = kResetAddress;
    QSet<quint32> m_breakpoints;
    Pending m_pending = Pending::None;
    std::unique_ptr<CommMessage> m_pRequest;   // the request being answered
    qint64 m_nRemainingMs = 0;                 // of a request interrupted by Halt
    QTimer m_stepTimer;
};
