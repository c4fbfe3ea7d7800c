#pragma once

#include "base/Result.h"

#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <span>

class CommMessage;
class DspUserSynk;
class ICommMessageReceiver;
class IDebuggerApplication;
class IDebuggerFactory;
class IDebuggerSetup;
class IDspMemory;
class IDspUser;
class IDspValue;
struct SubfamilyInfo;

// The document's connection to one processor of one board through the
// debugger: target memory access with the word conversions of the processor,
// the target component's download, and the transport of single messages to
// and from its buffer "theMessage".
//
// Calls on the debugger may raise CAutomationError; these operations let it
// pass to the caller, which runs at the event-loop boundary
// (RunAtEventLoopBoundary). The destructor catches it. Other failures are
// returned, never shown here; progress records go to the message log.
class CTargetLink {
public:
    static constexpr quint32 kMessagePage = 1;
    static constexpr quint32 kLoadTimeoutMs = 10000;

    // Uses the setup file's debugger unless a factory is given.
    explicit CTargetLink(std::shared_ptr<IDebuggerFactory> factory = nullptr);
    virtual ~CTargetLink();
    CTargetLink(const CTargetLink &) = delete;
    CTargetLink &operator=(const CTargetLink &) = delete;

    bool IsCreated() const { return m_pProcessor != nullptr; }
    bool IsLoaded() const { return m_nLoaded == 1; }

    // Connecting (board and processor index as the connection list's item data
    // gives them). A non-zero expectation must match; both receive what was found.
    CResult Create(qint32 boardIndex, qint32 processorIndex, qint32 &expectedFamily, qint32 &expectedSubfamily);
    // Ends the connection, last with the optional method "TargetDisconnect", by
    // which a backend says whether the target kept what it was sent: its
    // CAutomationError is raised after the link has let go of the target. A
    // halt that fails first is logged and the release goes on.
    void Release();
    // Called from the event loop, after the running exchange has failed, when a
    // connection made from now on loses its target (the connection still needs releasing).
    void SetLostHandler(std::function<void()> handler) { m_onLost = std::move(handler); }

    // Downloads the target component, sets its breakpoint and finds its buffer.
    // A failure without text was only recorded in the log.
    CResult LoadTargetComponent(const QString &path, quint32 timeoutMs = kLoadTimeoutMs);
    // The receiver of the halt notification from now on (needs an open connection).
    void SetNotifyWindow(ICommMessageReceiver *receiver);
    // Unregisters `receiver` if it is still the registered one.
    void ForgetNotifyWindow(ICommMessageReceiver *receiver);

    // The message transport: the header (32 bytes) or the header and the data
    // in use are written to "theMessage" and the target resumed (not after a
    // failed write); the header or the header and MaxDataBytes data bytes are read back.
    CResult SendHeader(const CommMessage &message);
    CResult SendMessage(const CommMessage &message);
    CResult ReceiveHeader(CommMessage &message);
    CResult ReceiveMessage(CommMessage &message);
    // Data bytes one message carries, as the target component announced; 0 before the handshake.
    quint16 MaxDataBytes() const { return m_nMaxDataBytes; }
    void SetMaxDataBytes(quint16 bytes) { m_nMaxDataBytes = bytes; }
    void Resume();
    void HaltTarget();

    // Target memory: `byteCount` bytes at `address` (address units) on `page`.
    // The buffer must hold byteCount rounded up to whole target words. Failures
    // are plain-message failures; a failed read leaves the buffer alone.
    CResult ReadMemory(quint32 page, quint32 address, std::span<quint8> buffer, qint32 byteCount);
    CResult WriteMemory(quint32 page, quint32 address, std::span<const quint8> buffer, qint32 byteCount);
    // Binds `value` to the address of the loaded program's symbol `name`.
    bool LocateSymbol(const QString &name, IDspValue &value);

    // The connection list's setup object, released and created anew; null on failure.
    IDebuggerSetup *RenewSetup();
    // The debugger application while one is held (Show/Hide), else null.
    IDebuggerApplication *Application() const { return m_pApplication.get(); }

    qint32 Family() const { return m_nFamily; }
    qint32 Subfamily() const { return m_nSubfamily; }
    qint32 AddressingUnit() const { return m_nAddressingUnit; }
    bool ReverseByteOrder() const { return m_bReverseByteOrder; }

private:
    // The shape of one transfer of byteCount bytes.
    struct Transfer {
        qint32 wordBytes;    // 2 or 4
        qint32 wordCount;    // whole words covering the bytes
        qint32 indexStep;    // element index per word
    };

    IDspUser &DspUser() const;
    const SubfamilyInfo &ConnectedSubfamily() const;
    Transfer TransferOf(qint32 byteCount) const;
    // The block, or null with `failure` set.
    std::shared_ptr<IDspMemory> MakeBlock(quint32 page, quint32 address, qint32 elementCount, CResult &failure);
    quint32 MessageAddress() const;
    // Writes the message's first `byteCount` bytes and resumes the target when that worked.
    CResult Send(const CommMessage &message, qint32 byteCount);

    std::shared_ptr<IDspUser> OpenProcessor(qint32 boardIndex, qint32 processorIndex, bool &reverseByteOrder);
    bool AdviseSink();
    CResult Connect(std::shared_ptr<IDspUser> dspUser, bool reverseByteOrder, qint32 &expectedFamily,
                    qint32 &expectedSubfamily);
    void UnadviseSink();
    static void HaltBeforeRelease(IDspUser &processor);
    void ConnectTarget();
    // Invokes the optional named method `method` when the processor has it.
    static void InvokeIfKnown(IDspUser &processor, const QString &method);
    bool WaitForLoad(DspUserSynk &sink, quint32 start, quint32 timeoutMs);
    CResult BindComponentSymbols(DspUserSynk &sink);

    std::shared_ptr<IDebuggerFactory> m_pFactory;
    std::shared_ptr<IDebuggerApplication> m_pApplication;
    std::shared_ptr<IDspUser> m_pProcessor;
    std::shared_ptr<IDebuggerSetup> m_pSetup;
    std::shared_ptr<DspUserSynk> m_pSink;
    std::function<void()> m_onLost;
    qint32 m_nSubfamily = 0;
    qint32 m_nFamily = 0;
    bool m_bReverseByteOrder = false;
    qint32 m_nAddressingUnit = 1;
    qint32 m_nLoaded = 0;
    quint16 m_nMaxDataBytes = 0;
    std::shared_ptr<IDspValue> m_pBreakpointValue;
    std::shared_ptr<IDspValue> m_pMessageValue;
};
