#include "SimDspUser.h"

#include "SimComponentFile.h"
#include "SimMemoryBlock.h"
#include "SimMonitor.h"
#include "SimStateFolder.h"
#include "SimTargetComponent.h"
#include "SimTargetMemory.h"
#include "SimTiming.h"
#include "base/InputFile.h"
#include "wire/CommMessage.h"
#include "debugger/AddressValue.h"
#include "debugger/AutomationError.h"
#include "debugger/BackendObject.h"
#include "debugger/DspUserSinks.h"


CSimDspUser::CSimDspUser(const QString &board, const QString &processor, const SubfamilyInfo &subfamily,
                         bool bigEndian)
    : m_strBoard(board)
    , m_strProcessor(processor)
    , m_subfamily(subfamily)
    , m_pMemory(std::make_shared<CSimTargetMemory>(subfamily, bigEndian))
{
    m_stepTimer.setSingleShot(true);
    QObject::connect(&m_stepTimer, &QTimer::timeout, &m_stepTimer, [this] { OnStepDue(); });
}

CSimDspUser::~CSimDspUser()
{
    theSimMonitor().OnReleased(this);
}

// --- memory ------------------------------------------------------------------

std::shared_ptr<IDspValue> CSimDspUser::CreateAddressValue(quint32 address)
{
    return std::make_shared<CAddressValue>(address);
}

std::shared_ptr<IDspMemory> CSimDspUser::CreateMemory(const IDspValue &start, qint32 elementCount, quint32 page)
{
    if (elementCount < 0 || quint64(elementCount) * quint64(m_pMemory->ElementBytes()) > CSimTargetMemory::kRamBytes)
        return nullptr;
    return std::make_shared<CSimMemoryBlock>(m_pMemory, m_pMemory->ByteAddress(start.Number()), elementCount, page);
}

bool CSimDspUser::ReadBlock(IDspMemory &block)
{
    RaiseIfLost();
    return BackendObject<CSimMemoryBlock>(block, "IDspUser.ReadBlock").Load();
}

bool CSimDspUser::WriteBlock(IDspMemory &block)
{
    RaiseIfLost();
    return BackendObject<CSimMemoryBlock>(block, "IDspUser.WriteBlock").Store();
}

// --- program -----------------------------------------------------------------

bool CSimDspUser::LoadProgram(const QString &path)
{
    RaiseIfLost();
    QByteArray text;
    if (!m_bConnected || !CInputFile::ReadAll(path, CSimComponentFile::kMaxFileBytes, text).isEmpty())
        return false;
    StopRunning();
    m_pComponent.reset();
    m_nLocation = kResetAddress;

    SimComponentSettings settings;
    QString error;
    if (CSimComponentFile::Parse(path, text, settings, error) && settings.loadError)
        error = QStringLiteral("The simulated load of %1 failed (fault.load_error).").arg(path);
    if (error.isEmpty())
        error = StartComponent(path, settings);
    m_pSinks->DeliverLoadFinished(error);
    return true;
}

QString CSimDspUser::StartComponent(const QString &path, const SimComponentSettings &settings)
{
    QString error;
    std::shared_ptr<CSimFlash> flash =
        CSimStateFolder::OpenFlash(m_strBoard, m_strProcessor, settings.flashSize, error);
    if (!flash)
        return error;
    m_pComponent = std::make_unique<CSimTargetComponent>(settings, std::move(flash), m_subfamily,
                                                         CSimStateFolder::UserDataPath(m_strBoard, m_strProcessor));
    m_strMissingSymbol = settings.missingSymbol;
    m_nLocation = kEntryAddress;
    theSimMonitor().OnLoaded(this, path);
    return error;
}

std::optional<quint32> CSimDspUser::SymbolAddress(const QString &name) const
{
    if (!m_pComponent || name == m_strMissingSymbol)
        return std::nullopt;
    if (name == QLatin1String("theMessage"))
        return m_pMemory->MessageAddress();
    if (name == QLatin1String("doMessageProc"))
        return kMessageProcAddress;
    return std::nullopt;
}

bool CSimDspUser::FindSymbol(const QString &name, IDspValue &value)
{
    auto &simValue = BackendObject<CAddressValue>(value, "IDspUser.FindSymbol");
    const std::optional<quint32> address = SymbolAddress(name);
    if (address)
        simValue.SetNumber(*address);
    return address.has_value();
}

qint32 CSimDspUser::NamedMethodId(const QString &name)
{
    if (name == QLatin1String("TargetConnect"))
        return kTargetConnectId;
    return name == QLatin1String("TargetDisconnect") ? kTargetDisconnectId : -1;
}

void CSimDspUser::InvokeNamedMethod(qint32 id)
{
    if (id == kTargetConnectId)
        Connect();
    else if (id == kTargetDisconnectId)
        Disconnect();
    else
        throw CAutomationError(CAutomationError::kInvalidArgument, QStringLiteral("IDspUser.Invoke"));
}

void CSimDspUser::Connect()
{
    m_bConnected = true;
    theSimMonitor().OnConnected(this, m_strBoard, m_strProcessor, m_subfamily.Name());
}

void CSimDspUser::Disconnect()
{
    m_bConnected = false;
    StopRunning();
    m_nLocation = kResetAddress;
    const std::unique_ptr<CSimTargetComponent> component = std::move(m_pComponent);
    if (component && !component->KeepState())
        throw CAutomationError(CAutomationError::kFailure, QStringLiteral("IDspUser.TargetDisconnect"));
}

// --- run control -------------------------------------------------------------

void CSimDspUser::SetBreakpoint(const IDspValue &location)
{
    m_breakpoints.insert(location.Number());
}

void CSimDspUser::RemoveBreakpoint(const IDspValue &location)
{
    m_breakpoints.remove(location.Number());
}

void CSimDspUser::Run()
{
    RaiseIfLost();
    if (m_bRunning)
        return;
    m_bRunning = true;
    switch (m_nLocation) {
    case kEntryAddress:
        Schedule(Pending::ReachMessageProc, 0);
        break;
    case kMessageProcAddress:
        StartRequest();
        break;
    case kBusyAddress:
        Schedule(Pending::FinishRequest, m_nRemainingMs);
        break;
    default:
        break;   // no program to stop: it runs until halted
    }
}

void CSimDspUser::Halt()
{
    RaiseIfLost();
    if (!m_bRunning)
        return;
    if (m_pending == Pending::FinishRequest) {
        m_nRemainingMs = std::max(0, m_stepTimer.remainingTime());
        m_nLocation = kBusyAddress;
    }
    StopRunning();
    m_pSinks->DeliverHalt(m_nLocation);
}

void CSimDspUser::RaiseIfLost() const
{
    if (m_bLost)
        throw CAutomationError::Described(QString::fromLatin1(kLostText));
}

void CSimDspUser::StopRunning()
{
    m_stepTimer.stop();
    m_pending = Pending::None;
    m_bRunning = false;
}

void CSimDspUser::Schedule(Pending step, qint64 delayMs)
{
    m_pending = step;
    m_stepTimer.start(std::chrono::milliseconds(delayMs));
}

void CSimDspUser::OnStepDue()
{
    const Pending step = m_pending;
    m_pending = Pending::None;
    if (step == Pending::ReachMessageProc)
        ReachMessageProc();
    else if (step == Pending::FinishRequest)
        FinishRequest();
}

void CSimDspUser::StartRequest()
{
    m_pRequest = std::make_unique<CommMessage>(ReadRequest());
    Schedule(Pending::FinishRequest, CSimTiming::Scaled(m_pComponent->DurationMs(*m_pRequest)));
}

void CSimDspUser::FinishRequest()
{
    const std::unique_ptr<CommMessage> request = std::move(m_pRequest);
    if (m_pComponent->LosesConnectionAt(*request)) {
        m_bLost = true;
        m_bRunning = false;
        m_pSinks->DeliverTargetLost(QString::fromLatin1(kLostText));
        return;
    }
    const CommMessage answer = m_pComponent->Answer(*request);
    WriteAnswer(answer);
    theSimMonitor().OnExchanged(this, *request, answer);
    if (m_pComponent->HangsAfter(*request))
        m_nLocation = kIdleAddress;
    else
        ReachMessageProc();
}

// The component comes back to "doMessageProc": it stops there when a
// breakpoint is set, else it goes on without end.
void CSimDspUser::ReachMessageProc()
{
    if (!m_breakpoints.contains(kMessageProcAddress)) {
        m_nLocation = kIdleAddress;
        return;
    }
    m_nLocation = kMessageProcAddress;
    m_bRunning = false;
    m_pSinks->DeliverHalt(kMessageProcAddress);
}

CommMessage CSimDspUser::ReadRequest() const
{
    CommMessage request;
    const qint32 length = CommMessage::kHeaderBytes + m_pComponent->BufferBytes();
    const QByteArray bytes = m_pMemory->Read(m_pMemory->ByteAddress(m_pMemory->MessageAddress()), length);
    std::copy_n(bytes.constData(), length, reinterpret_cast<char *>(request.Bytes()));
    return request;
}

void CSimDspUser::WriteAnswer(const CommMessage &answer)
{
    const QByteArray bytes(reinterpret_cast<const char *>(answer.Bytes()), answer.SendLength());
    m_pMemory->Write(m_pMemory->ByteAddress(m_pMemory->MessageAddress()), bytes);
}
