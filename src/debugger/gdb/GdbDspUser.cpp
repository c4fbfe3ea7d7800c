#include "GdbDspUser.h"

#include "GdbConnection.h"
#include "GdbMemoryBlock.h"
#include "GdbServerProcess.h"
#include "GdbTarget.h"
#include "base/MessageLog.h"
#include "debugger/AddressValue.h"
#include "debugger/AutomationError.h"
#include "debugger/BackendObject.h"
#include "debugger/DspUserSinks.h"

#include <QFile>

CGdbDspUser::CGdbDspUser(const SetupGdbServer &server, const SubfamilyInfo &subfamily, bool bigEndian)
    : m_server(server)
    , m_subfamily(subfamily)
    , m_bBigEndian(bigEndian)
{
}

CGdbDspUser::~CGdbDspUser() = default;

CGdbTarget &CGdbDspUser::Target() const
{
    if (!m_pTarget)
        throw CAutomationError::Described(QStringLiteral("GDB server %1 is not connected.")
                                              .arg(CGdbConnection::ServerText(m_server.host, m_server.port)));
    return *m_pTarget;
}

// --- connection --------------------------------------------------------------

qint32 CGdbDspUser::NamedMethodId(const QString &name)
{
    return name == QLatin1String("TargetConnect") ? kTargetConnectId : -1;
}

void CGdbDspUser::InvokeNamedMethod(qint32 id)
{
    if (id != kTargetConnectId)
        throw CAutomationError(CAutomationError::kInvalidArgument, QStringLiteral("IDspUser.Invoke"));
    if (!m_pTarget)
        Connect();
}

void CGdbDspUser::Connect()
{
    try {
        if (!m_server.start.isEmpty())
            m_pServerProcess = std::make_unique<CGdbServerProcess>(m_server);
        auto target = std::make_unique<CGdbTarget>(
            m_pServerProcess ? m_pServerProcess->StartAndConnect()
                             : CGdbConnection::Open(m_server.host, m_server.port, m_server.timeoutMs),
            m_bBigEndian);
        target->Start();
        QObject::connect(target.get(), &CGdbTarget::Stopped, target.get(), [this] { OnStopped(); });
        QObject::connect(target.get(), &CGdbTarget::Lost, target.get(),
                         [this](const QString &reason) { m_pSinks->DeliverTargetLost(reason); });
        m_pTarget = std::move(target);
    } catch (const CAutomationError &) {
        m_pServerProcess.reset();
        throw;
    }
}

// --- memory ------------------------------------------------------------------

std::shared_ptr<IDspValue> CGdbDspUser::CreateAddressValue(quint32 address)
{
    return std::make_shared<CAddressValue>(address);
}

std::shared_ptr<IDspMemory> CGdbDspUser::CreateMemory(const IDspValue &start, qint32 elementCount, quint32)
{
    if (elementCount < 0 || elementCount > kMaxBlockBytes)
        return nullptr;
    return std::make_shared<CGdbMemoryBlock>(start.Number(), elementCount, m_bBigEndian);
}

bool CGdbDspUser::ReadBlock(IDspMemory &block)
{
    auto &own = BackendObject<CGdbMemoryBlock>(block, "IDspUser.ReadBlock");
    const std::optional<QByteArray> bytes = Target().ReadMemory(own.Address(), own.ByteCount());
    if (bytes)
        own.SetBytes(*bytes);
    return bytes.has_value();
}

bool CGdbDspUser::WriteBlock(IDspMemory &block)
{
    const auto &own = BackendObject<CGdbMemoryBlock>(block, "IDspUser.WriteBlock");
    return Target().WriteMemory(own.Address(), own.Bytes());
}

// --- run control -------------------------------------------------------------

void CGdbDspUser::Run()
{
    if (!Target().IsRunning())
        Target().Resume();
}

void CGdbDspUser::Halt()
{
    if (!m_pTarget || !m_pTarget->IsRunning())
        return;
    m_pTarget->Interrupt();
    m_pSinks->DeliverHalt(m_pTarget->Pc());
}

void CGdbDspUser::OnStopped()
{
    try {
        m_pSinks->DeliverHalt(Target().Pc());
    } catch (const CAutomationError &error) {
        m_pSinks->DeliverTargetLost(error.Text());
    }
}

void CGdbDspUser::SetBreakpoint(const IDspValue &location)
{
    Target().InsertBreakpoint(location.Number());
}

void CGdbDspUser::RemoveBreakpoint(const IDspValue &location)
{
    Target().RemoveBreakpoint(location.Number());
}

// --- program -----------------------------------------------------------------

bool CGdbDspUser::LoadProgram(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    Target().Interrupt();
    m_pSinks->DeliverLoadFinished(Load(path, file.readAll()));
    return true;
}

// Writes the program's segments and sets the pc to its entry; the error, or nothing.
QString CGdbDspUser::Load(const QString &path, const QByteArray &file)
{
    m_program.reset();
    QString reason;
    std::optional<CElfProgram> program = CElfProgram::Read(file, m_bBigEndian, reason);
    if (!program)
        return QStringLiteral("%1 is not an ELF file for ARM: %2.").arg(path, reason);
    Target().RemoveBreakpoints();
    for (const CElfProgram::Segment &segment : program->Segments()) {
        if (!WriteSegment(segment))
            return QStringLiteral("Loading %1 failed: the target refused the %2 bytes at 0x%3.")
                .arg(path)
                .arg(segment.memoryBytes)
                .arg(segment.address, 8, 16, QLatin1Char('0'));
    }
    Target().SetPc(program->Entry());
    m_program = std::move(program);
    return {};
}

bool CGdbDspUser::WriteSegment(const CElfProgram::Segment &segment)
{
    if (!Target().WriteMemory(segment.address, segment.bytes))
        return false;
    for (quint32 done = quint32(segment.bytes.size()); done < segment.memoryBytes; done += kZeroFillBytes) {
        const qint32 count = qint32(std::min<quint32>(kZeroFillBytes, segment.memoryBytes - done));
        if (!Target().WriteMemory(segment.address + done, QByteArray(count, '\0')))
            return false;
    }
    return true;
}

bool CGdbDspUser::FindSymbol(const QString &name, IDspValue &value)
{
    auto &own = BackendObject<CAddressValue>(value, "IDspUser.FindSymbol");
    const std::optional<quint32> address = m_program ? m_program->Symbol(name) : std::nullopt;
    if (address)
        own.SetNumber(*address);
    return address.has_value();
}
