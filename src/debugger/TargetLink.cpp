#include "TargetLink.h"

#include "AutomationError.h"
#include "DebuggerApplication.h"
#include "DebuggerBoard.h"
#include "DebuggerProcessor.h"
#include "DebuggerSetup.h"
#include "DspMemory.h"
#include "DspUser.h"
#include "DspUserSynk.h"
#include "DspValue.h"
#include "SetupFileDebuggerFactory.h"
#include "Subfamily.h"
#include "base/FileName.h"
#include "base/InputFile.h"
#include "base/MessageLog.h"
#include "base/ScopedStatusText.h"
#include "base/TickClock.h"
#include "wire/CommMessage.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>

namespace {

constexpr qint32 kMinimumWriteElements = 4;

void Record(const QString &text)
{
    theLog.Add(text);
}

void Trace(const QString &text)
{
    theLog.AddTrace(text);
}

// A failure shown in a plain box at once; the running operation then ends.
CFailure ShownAtOnce(const QString &text)
{
    return CFailure::Message(text);
}

// A connection failure: reported, and the run goes on without the connection.
CFailure ConnectionFailure(const QString &text)
{
    return CFailure::Logged(text, CFailure::Then::RunGoesOn);
}

// Target word `index` of the host buffer: the bytes in little-endian order,
// reversed when the target's byte order differs. Bytes beyond the buffer count 0.
quint32 WordFromBuffer(std::span<const quint8> buffer, qint32 index, qint32 wordBytes, bool reverse)
{
    const qsizetype first = qsizetype(index) * wordBytes;
    if (first + wordBytes <= qsizetype(buffer.size())) {
        const quint8 *bytes = buffer.data() + first;
        if (wordBytes == 4)
            return reverse ? qFromBigEndian<quint32>(bytes) : qFromLittleEndian<quint32>(bytes);
        return reverse ? qFromBigEndian<quint16>(bytes) : qFromLittleEndian<quint16>(bytes);
    }
    quint32 value = 0;
    for (qint32 k = 0; k < wordBytes; ++k) {
        const qsizetype position = qsizetype(index) * wordBytes + k;
        const quint32 byte = position < qsizetype(buffer.size()) ? buffer[position] : 0;
        const qint32 shift = 8 * (reverse ? wordBytes - 1 - k : k);
        value |= byte << shift;
    }
    return value;
}

// The inverse of WordFromBuffer; bytes beyond the buffer are dropped.
void WordToBuffer(std::span<quint8> buffer, qint32 index, qint32 wordBytes, bool reverse, quint32 value)
{
    for (qint32 k = 0; k < wordBytes; ++k) {
        const qsizetype position = qsizetype(index) * wordBytes + k;
        const qint32 shift = 8 * (reverse ? wordBytes - 1 - k : k);
        if (position < qsizetype(buffer.size()))
            buffer[position] = quint8(value >> shift);
    }
}

} // namespace

CTargetLink::CTargetLink(std::shared_ptr<IDebuggerFactory> factory)
    : m_pFactory(factory ? std::move(factory) : std::make_shared<CSetupFileDebuggerFactory>())
{
}

CTargetLink::~CTargetLink()
{
    try {
        if (m_pProcessor) {
            UnadviseSink();
            if (m_nLoaded == 1 && m_pBreakpointValue)
                m_pProcessor->RemoveBreakpoint(*m_pBreakpointValue);
        }
    } catch (const CAutomationError &error) {
        Record(error.Text() + QStringLiteral("\r\n"));
    }
    m_pProcessor.reset();
    m_pApplication.reset();
}

IDspUser &CTargetLink::DspUser() const
{
    if (!m_pProcessor)
        throw CAutomationError(CAutomationError::kInvalidPointer, QStringLiteral("IDspUser"));
    return *m_pProcessor;
}

const SubfamilyInfo &CTargetLink::ConnectedSubfamily() const
{
    const SubfamilyInfo *info = m_pProcessor ? FindSubfamily(m_nSubfamily) : nullptr;
    if (!info)
        throw CAutomationError(CAutomationError::kInvalidPointer, QStringLiteral("IDspUser"));
    return *info;
}

// Whole target words cover the bytes, a final partial word included, so that
// every byte travels in its place on either byte order.
CTargetLink::Transfer CTargetLink::TransferOf(qint32 byteCount) const
{
    const SubfamilyInfo &info = ConnectedSubfamily();
    const qint32 wordBytes = info.wordClass == SubfamilyInfo::WordClass::Bits32 ? 4 : 2;
    const qint32 bytes = std::max(byteCount, 0);
    return Transfer {wordBytes, (bytes + wordBytes - 1) / wordBytes, wordBytes / info.TransferUnit()};
}

std::shared_ptr<IDspMemory> CTargetLink::MakeBlock(quint32 page, quint32 address, qint32 elementCount,
                                                CResult &failure)
{
    const std::shared_ptr<IDspValue> start = DspUser().CreateAddressValue(address);
    if (!start) {
        failure = ShownAtOnce(QStringLiteral("Can't make DspValue"));
        return nullptr;
    }
    std::shared_ptr<IDspMemory> block = DspUser().CreateMemory(*start, elementCount, page);
    if (!block)
        failure = ShownAtOnce(QStringLiteral("Can't make DspMemory"));
    return block;
}

CResult CTargetLink::ReadMemory(quint32 page, quint32 address, std::span<quint8> buffer, qint32 byteCount)
{
    const Transfer transfer = TransferOf(byteCount);
    CResult result;
    const std::shared_ptr<IDspMemory> block =
        MakeBlock(page, address, transfer.wordCount * transfer.indexStep, result);
    if (!block)
        return result;
    if (!DspUser().ReadBlock(*block))
        return ShownAtOnce(QStringLiteral("Failed to Read"));
    for (qint32 word = 0; word < transfer.wordCount; ++word)
        WordToBuffer(buffer, word, transfer.wordBytes, m_bReverseByteOrder,
                     block->Element(word * transfer.indexStep));
    return result;
}

CResult CTargetLink::WriteMemory(quint32 page, quint32 address, std::span<const quint8> buffer, qint32 byteCount)
{
    const Transfer transfer = TransferOf(byteCount);
    const qint32 elementCount = transfer.wordCount * transfer.indexStep;
    CResult result;
    const std::shared_ptr<IDspMemory> block =
        MakeBlock(page, address, std::max(elementCount, kMinimumWriteElements), result);
    if (!block)
        return result;
    for (qint32 word = 0; word < transfer.wordCount; ++word)
        block->SetElement(word * transfer.indexStep,
                          WordFromBuffer(buffer, word, transfer.wordBytes, m_bReverseByteOrder));
    if (!DspUser().WriteBlock(*block))
        return ShownAtOnce(QStringLiteral("Failed to write"));
    return result;
}

bool CTargetLink::LocateSymbol(const QString &name, IDspValue &value)
{
    return DspUser().FindSymbol(name, value);
}

// --- connection --------------------------------------------------------------

CResult CTargetLink::Create(qint32 boardIndex, qint32 processorIndex, qint32 &expectedFamily,
                            qint32 &expectedSubfamily)
{
    if (IsCreated())
        Release();
    Trace(QStringLiteral("Attempt to create Code Composer Studio...\r\n"));
    CScopedStatusText status(QStringLiteral("Connecting to Code Composer Studio"));

    m_pApplication.reset();
    m_pApplication = m_pFactory->CreateApplication();
    if (!m_pApplication)
        return ConnectionFailure(QStringLiteral("Failed to create Code Composer instance\r\n"));
    if (m_pApplication->BoardCount() == 0) {
        m_pApplication.reset();
        return ConnectionFailure(QStringLiteral("No targets are configured for Code Composer\r\n"));
    }
    bool reverseByteOrder = false;
    std::shared_ptr<IDspUser> dspUser = OpenProcessor(boardIndex, processorIndex, reverseByteOrder);
    if (!dspUser)
        return ConnectionFailure(QStringLiteral("Requested architecture not found in Code Composer\r\n"));
    return Connect(std::move(dspUser), reverseByteOrder, expectedFamily, expectedSubfamily);
}

CResult CTargetLink::Connect(std::shared_ptr<IDspUser> dspUser, bool reverseByteOrder, qint32 &expectedFamily,
                             qint32 &expectedSubfamily)
{
    const qint32 family = dspUser->Family();
    const qint32 subfamily = dspUser->Subfamily();
    if (expectedFamily != 0 && family != expectedFamily)
        return ConnectionFailure(
            QStringLiteral("Cannot locate a Code Composer of the expected type (Family: %1)\r\n").arg(expectedFamily));
    if (expectedSubfamily != 0 && subfamily != expectedSubfamily)
        return ConnectionFailure(QStringLiteral("Cannot locate a Code Composer of the expected type (Subfamily: %1x)\r\n")
                                     .arg(QString::number(expectedSubfamily, 16).toUpper()));
    expectedFamily = m_nFamily = family;
    expectedSubfamily = m_nSubfamily = subfamily;
    const SubfamilyInfo *info = FindSubfamily(subfamily);
    if (!info)
        return ConnectionFailure(QStringLiteral("Unable to recognize target: family %1, subfamily %2\r\n")
                                     .arg(family)
                                     .arg(QString::number(subfamily, 16).toUpper()));
    m_pProcessor = std::move(dspUser);
    m_nAddressingUnit = info->addressingUnit;
    m_bReverseByteOrder = reverseByteOrder;
    Trace(QStringLiteral("CCS created OK.\r\n"));
    if (!AdviseSink())
        return ConnectionFailure(QStringLiteral("Cannot Create Sink Object\r\n"));
    ConnectTarget();
    return {};
}

std::shared_ptr<IDspUser> CTargetLink::OpenProcessor(qint32 boardIndex, qint32 processorIndex,
                                                     bool &reverseByteOrder)
{
    const std::shared_ptr<IDebuggerBoard> board = m_pApplication->Board(boardIndex);
    const std::shared_ptr<IDebuggerProcessor> processor = board ? board->Processor(processorIndex) : nullptr;
    if (!processor)
        return nullptr;
    reverseByteOrder = processor->ReverseByteOrder();
    return processor->DspUser();
}

void CTargetLink::Release()
{
    m_nLoaded = 0;
    // Held until the target is disconnected, which may raise after the link has let go.
    const std::shared_ptr<IDebuggerApplication> application = m_pApplication;
    const std::shared_ptr<IDspUser> processor = m_pProcessor;
    if (processor)
        HaltBeforeRelease(*processor);
    UnadviseSink();
    m_pProcessor.reset();
    m_pApplication.reset();
    if (processor)
        InvokeIfKnown(*processor, QStringLiteral("TargetDisconnect"));
}

// A target that does not halt (its connection lost, its debugger not answering) is let go all the same.
void CTargetLink::HaltBeforeRelease(IDspUser &processor)
{
    try {
        processor.Halt();
    } catch (const CAutomationError &error) {
        Record(QStringLiteral("The target was not halted before the disconnect: ") + error.Text() + QStringLiteral("\r\n"));
    }
}

bool CTargetLink::AdviseSink()
{
    if (m_pSink)
        return true;
    auto sink = std::make_shared<DspUserSynk>();
    sink->SetLostHandler(m_onLost);
    const std::optional<quint32> cookie = DspUser().Advise(sink);
    if (!cookie) {
        Record(QStringLiteral("Cannot connect sink object - advise failed.\r\n"));
        return false;
    }
    sink->SetCookie(*cookie);
    m_pSink = std::move(sink);
    return true;
}

void CTargetLink::UnadviseSink()
{
    if (m_pSink && m_pProcessor) {
        m_pProcessor->Unadvise(m_pSink->Cookie());
        m_pSink->SetCookie(DspUserSynk::kNotConnected);
    }
    m_pSink.reset();
}

void CTargetLink::ConnectTarget()
{
    InvokeIfKnown(DspUser(), QStringLiteral("TargetConnect"));
    DspUser().Halt();
}

void CTargetLink::InvokeIfKnown(IDspUser &processor, const QString &method)
{
    const qint32 id = processor.NamedMethodId(method);
    if (id != -1)
        processor.InvokeNamedMethod(id);
}

IDebuggerSetup *CTargetLink::RenewSetup()
{
    m_pSetup.reset();
    m_pSetup = m_pFactory->CreateSetup();
    return m_pSetup.get();
}

void CTargetLink::SetNotifyWindow(ICommMessageReceiver *receiver)
{
    if (m_pSink)
        m_pSink->SetNotifyReceiver(receiver);
}

void CTargetLink::ForgetNotifyWindow(ICommMessageReceiver *receiver)
{
    if (m_pSink && m_pSink->NotifyReceiver() == receiver)
        m_pSink->SetNotifyReceiver(nullptr);
}

// --- target component --------------------------------------------------------

CResult CTargetLink::LoadTargetComponent(const QString &path, quint32 timeoutMs)
{
    const CFailure recordedOnly = CFailure::Logged(QString());
    const quint32 start = theTickClock().Now();
    const std::shared_ptr<DspUserSynk> sink = m_pSink;
    if (!IsCreated() || !sink)
        return CFailure::Logged(QStringLiteral("CCS was not created yet!\r\n"));
    CScopedStatusText status(QStringLiteral("Loading the CVTC program"));
    // Recorded before anything about the file is tried, whatever the backend makes of it.
    Trace(QStringLiteral("Req. CVTC Load.\r\n"));
    {
        QFile file;
        if (const QString reason = CInputFile::Open(file, path); !reason.isEmpty()) {
            Record(CFileName::ReasonLine(path, reason));
            return recordedOnly;
        }
    }
    const QString fullPath = CFileName::Absolute(path);
    sink->ClearLoadFinished();
    m_nLoaded = 0;
    if (!DspUser().LoadProgram(fullPath))
        return CFailure::Logged(QStringLiteral(".out File load attempt failed.\r\n"));
    if (!WaitForLoad(*sink, start, timeoutMs))
        return CFailure::Logged(QStringLiteral("Timed out Loading CVTC.\r\n"));
    if (!sink->LoadError().isEmpty()) {
        Record(sink->LoadError() + QStringLiteral("\r\n"));
        return recordedOnly;
    }
    Trace(QStringLiteral("CVTC Download OK.\r\n"));
    m_nLoaded = 1;
    return BindComponentSymbols(*sink);
}

// Polls until the load has finished; false when the time ran out first. The
// time is checked before the finish, so a load that ends in the poll during
// which the time runs out still counts as timed out.
bool CTargetLink::WaitForLoad(DspUserSynk &sink, quint32 start, quint32 timeoutMs)
{
    while (!sink.LoadFinished()) {
        DspUser().Poll();
        if (CTickClock::Elapsed(start, theTickClock().Now()) > timeoutMs)
            return false;
    }
    return true;
}

CResult CTargetLink::BindComponentSymbols(DspUserSynk &sink)
{
    const CFailure recordedOnly = CFailure::Logged(QString());
    m_pBreakpointValue = DspUser().CreateAddressValue(0);
    if (!m_pBreakpointValue) {
        Record(QStringLiteral("Failed to make BP value\r\n"));
        return ShownAtOnce(QStringLiteral("Can't make BP Value"));
    }
    if (!LocateSymbol(QStringLiteral("doMessageProc"), *m_pBreakpointValue)) {
        Record(QStringLiteral("Failed to get BP addr\r\n"));
        return recordedOnly;
    }
    DspUser().SetBreakpoint(*m_pBreakpointValue);
    sink.SetBreakpointAddress(m_pBreakpointValue->Number());

    m_pMessageValue = DspUser().CreateAddressValue(0);
    if (!m_pMessageValue) {
        Record(QStringLiteral("Failed to make storage value\r\n"));
        return ShownAtOnce(QStringLiteral("Can't make Storage Value"));
    }
    const QString messageSymbol = QStringLiteral("theMessage");
    if (!LocateSymbol(messageSymbol, *m_pMessageValue)
        && DspUser().EvaluateSymbol(messageSymbol, *m_pMessageValue) != 0) {
        Record(QStringLiteral("Failed to get msg storage addr\r\n"));
        return recordedOnly;
    }
    return {};
}

// --- transport ---------------------------------------------------------------

quint32 CTargetLink::MessageAddress() const
{
    if (!m_pMessageValue)
        throw CAutomationError(CAutomationError::kInvalidPointer, QStringLiteral("DspValue theMessage"));
    return m_pMessageValue->Number();
}

CResult CTargetLink::SendHeader(const CommMessage &message)
{
    return Send(message, CommMessage::kHeaderBytes);
}

CResult CTargetLink::SendMessage(const CommMessage &message)
{
    return Send(message, message.SendLength());
}

CResult CTargetLink::Send(const CommMessage &message, qint32 byteCount)
{
    const CResult written =
        WriteMemory(kMessagePage, MessageAddress(), {message.Bytes(), size_t(CommMessage::kBlockBytes)}, byteCount);
    if (written)
        Resume();
    return written;
}

CResult CTargetLink::ReceiveHeader(CommMessage &message)
{
    return ReadMemory(kMessagePage, MessageAddress(), {message.Bytes(), size_t(CommMessage::kBlockBytes)},
                      CommMessage::kHeaderBytes);
}

CResult CTargetLink::ReceiveMessage(CommMessage &message)
{
    return ReadMemory(kMessagePage, MessageAddress(), {message.Bytes(), size_t(CommMessage::kBlockBytes)},
                      CommMessage::kHeaderBytes + m_nMaxDataBytes);
}

void CTargetLink::Resume()
{
    DspUser().Run();
}

void CTargetLink::HaltTarget()
{
    m_nLoaded = 0;
    if (m_pProcessor)
        m_pProcessor->Halt();
}
