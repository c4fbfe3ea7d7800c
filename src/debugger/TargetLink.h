#pragma once

#include <QString>
#include <QtGlobal>

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
// (RunAtEventLoopBoundary). The destructor catches it.
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
    bool Create(qint32 boardIndex, qint32 processorIndex, qint32 &expectedFamily, qint32 &expectedSubfamily);
    bool Release();

    // Downloads the target component, sets its breakpoint and finds its buffer.
    bool LoadTargetComponent(const QString &path, quint32 timeoutMs = kLoadTimeoutMs);
    // The receiver of the halt notification from now on (needs an open connection).
    void SetNotifyWindow(ICommMessageReceiver *receiver);
    // Unregisters `receiver` if it is still the registered one.
    void ForgetNotifyWindow(ICommMessageReceiver *receiver);

    // The message transport: the header (32 bytes) or the header and the data
    // in use are written to "theMessage" and the target resumed; the header or
    // the header and MaxDataBytes data bytes are read back.
    void SendHeader(const CommMessage &message);
    void SendMessage(const CommMessage &message);
    void ReceiveHeader(CommMessage &message);
    void ReceiveMessage(CommMessage &message);
    void Resume();
    void HaltTarget();

    // Target memory: `byteCount` bytes at `address` (address units) on `page`.
    // The buffer must hold byteCount rounded up to whole target words. Failures
    // are shown at once and return false; a failed read leaves the buffer alone.
    bool ReadMemory(quint32 page, quint32 address, std::span<quint8> buffer, qint32 byteCount);
    bool WriteMemory(quint32 page, quint32 address, std::span<const quint8> buffer, qint32 byteCount);
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
    std::shared_ptr<IDspMemory> MakeBlock(quint32 page, quint32 address, qint32 elementCount);
    quint32 MessageAddress() const;

    std::shared_ptr<IDspUser> OpenProcessor(qint32 boardIndex, qint32 processorIndex, bool &reverseByteOrder);
    bool AdviseSink();
    void UnadviseSink();
    void ConnectTarget();
    bool WaitForLoad(DspUserSynk &sink, quint32 start, quint32 timeoutMs);
    bool BindComponentSymbols(DspUserSynk &sink);

    std::shared_ptr<IDebuggerFactory> m_pFactory;
    std::shared_ptr<IDebuggerApplication> m_pApplication;
    std::shared_ptr<IDspUser> m_pProcessor;
    std::shared_ptr<IDebuggerSetup> m_pSetup;
    std::shared_ptr<DspUserSynk> m_pSink;
    qint32 m_nSubfamily = 0;
    qint32 m_nFamily = 0;
    bool m_bReverseByteOrder = false;
    qint32 m_nAddressingUnit = 1;
    qint32 m_nLoaded = 0;
    std::shared_ptr<IDspValue> m_pBreakpointValue;
    std::shared_ptr<IDspValue> m_pMessageValue;
};
