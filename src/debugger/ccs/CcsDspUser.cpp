#include "CcsDspUser.h"

#include "CcsInstallation.h"
#include "CcsMemoryBlock.h"
#include "base/MessageLog.h"
#include "debugger/AddressValue.h"
#include "debugger/AutomationError.h"
#include "debugger/BackendObject.h"
#include "debugger/DspUserSinks.h"


namespace {

QString Hex(quint32 number)
{
    return QStringLiteral("0x%1").arg(number, 0, 16);
}

} // namespace

CCcsDspUser::CCcsDspUser(const SetupCcs &setup, const SubfamilyInfo &subfamily)
    : m_setup(setup)
    , m_subfamily(subfamily)
{
}

CCcsDspUser::~CCcsDspUser()
{
    Disconnect();
}

QString CCcsDspUser::Where() const
{
    return QStringLiteral("CCS debugger (%1)").arg(m_setup.core);
}

CCcsBridge &CCcsDspUser::Bridge() const
{
    if (!m_pBridge)
        throw CAutomationError::Described(QStringLiteral("%1 is not connected.").arg(Where()));
    return *m_pBridge;
}

// --- connection --------------------------------------------------------------

qint32 CCcsDspUser::NamedMethodId(const QString &name)
{
    if (name == QLatin1String("TargetConnect"))
        return kTargetConnectId;
    if (name == QLatin1String("TargetDisconnect"))
        return kTargetDisconnectId;
    return -1;
}

void CCcsDspUser::InvokeNamedMethod(qint32 id)
{
    if (id == kTargetConnectId) {
        if (!m_pBridge)
            Connect();
    } else if (id == kTargetDisconnectId) {
        Disconnect();
    } else {
        throw CAutomationError(CAutomationError::kInvalidArgument, QStringLiteral("IDspUser.Invoke"));
    }
}

void CCcsDspUser::Connect()
{
    const CCcsInstallation::Launch launch = CCcsInstallation(m_setup).BridgeLaunch();
    m_pBridge = std::make_unique<CCcsBridge>(Where(), launch.program, launch.arguments);
    QObject::connect(m_pBridge.get(), &CCcsBridge::Lost, m_pBridge.get(),
                     [this](const QString &reason) { OnLost(reason); });
    try {
        m_pBridge->Start(launch.bridge, m_setup.startTimeoutMs);
        const CCcsBridge::Answer answer =
            m_pBridge->Call(QStringLiteral("open"),
                            {{QStringLiteral("ccxml"), m_setup.ccxml},
                             {QStringLiteral("core"), m_setup.core},
                             {QStringLiteral("callTimeoutMs"), m_setup.timeoutMs},
                             {QStringLiteral("startTimeoutMs"), m_setup.startTimeoutMs}},
                            m_setup.startTimeoutMs);
        if (answer.error) {
            m_pBridge->LogStandardError();
            throw CAutomationError::Described(
                answer.timedOut ? QStringLiteral("%1 did not start within %2 seconds: %3")
                                      .arg(Where(), CAutomationError::SecondsText(m_setup.startTimeoutMs), *answer.error)
                                : QStringLiteral("%1 could not connect through %2: %3")
                                      .arg(Where(), m_setup.ccxml, *answer.error));
        }
        theLog.AddTrace(QStringLiteral("%1: session %2 open.\r\n")
                            .arg(Where(), answer.result.value(QLatin1String("core")).toString()));
    } catch (const CAutomationError &) {
        m_pBridge.reset();
        throw;
    }
}

void CCcsDspUser::Disconnect()
{
    m_bRunning = false;   // a slice's answer that comes while closing reaches nobody
    if (const std::unique_ptr<CCcsBridge> bridge = std::move(m_pBridge))
        bridge->Close();
}

// --- requests ----------------------------------------------------------------

QJsonObject CCcsDspUser::Ask(const QString &op, const QJsonObject &arguments, const QString &failure)
{
    const CCcsBridge::Answer answer = Bridge().Call(op, arguments, m_setup.timeoutMs);
    if (!answer.error)
        return answer.result;
    Bridge().LogStandardError();
    if (answer.timedOut)
        throw CAutomationError::Described(QStringLiteral("%1 did not finish \"%2\" within %3 seconds: %4")
                                              .arg(Where(), op, CAutomationError::SecondsText(m_setup.timeoutMs),
                                                   *answer.error));
    throw CAutomationError::Described(QStringLiteral("%1 %2: %3").arg(Where(), failure, *answer.error));
}

// A refusal of a memory transfer is logged with the debugger's words; true when there was one.
bool CCcsDspUser::Refused(const CCcsBridge::Answer &answer, const QString &failure) const
{
    if (!answer.error)
        return false;
    theLog.Add(QStringLiteral("%1 %2: %3\r\n").arg(Where(), failure, *answer.error));
    Bridge().LogStandardError();
    return true;
}

// --- memory ------------------------------------------------------------------

std::shared_ptr<IDspValue> CCcsDspUser::CreateAddressValue(quint32 address)
{
    return std::make_shared<CAddressValue>(address);
}

// 16-bit classes: an index per word, the page as given. 32-bit classes: an index
// per byte, whole 32-bit words, the core's one page.
std::shared_ptr<IDspMemory> CCcsDspUser::CreateMemory(const IDspValue &start, qint32 elementCount, quint32 page)
{
    const bool words16 = m_subfamily.wordClass == SubfamilyInfo::WordClass::Bits16;
    const qint32 step = words16 ? 1 : 4;
    const qint32 count = (elementCount + step - 1) / step;
    if (elementCount < 0 || count > kMaxBlockValues)
        return nullptr;
    return std::make_shared<CCcsMemoryBlock>(start.Number(), words16 ? std::optional<quint32>(page) : std::nullopt,
                                             words16 ? 16 : 32, count, step);
}

QJsonObject CCcsDspUser::BlockArguments(const CCcsMemoryBlock &block) const
{
    return {{QStringLiteral("address"), qint64(block.Address())},
            {QStringLiteral("page"), block.Page() ? QJsonValue(qint64(*block.Page())) : QJsonValue()},
            {QStringLiteral("bits"), block.Bits()}};
}

bool CCcsDspUser::ReadBlock(IDspMemory &block)
{
    auto &own = BackendObject<CCcsMemoryBlock>(block, "IDspUser.ReadBlock");
    QJsonObject arguments = BlockArguments(own);
    arguments.insert(QStringLiteral("count"), own.Count());
    const CCcsBridge::Answer answer = Bridge().Call(QStringLiteral("read"), arguments, m_setup.timeoutMs);
    if (Refused(answer, QStringLiteral("could not read %1 values at %2").arg(own.Count()).arg(Hex(own.Address()))))
        return false;
    if (!own.SetHex(answer.result.value(QLatin1String("hex")).toString()))
        throw CAutomationError::Described(QStringLiteral("%1: the bridge did not answer \"read\" with %2 values of %3 bits.")
                                              .arg(Where())
                                              .arg(own.Count())
                                              .arg(own.Bits()));
    return true;
}

bool CCcsDspUser::WriteBlock(IDspMemory &block)
{
    const auto &own = BackendObject<CCcsMemoryBlock>(block, "IDspUser.WriteBlock");
    QJsonObject arguments = BlockArguments(own);
    arguments.insert(QStringLiteral("hex"), own.Hex());
    const CCcsBridge::Answer answer = Bridge().Call(QStringLiteral("write"), arguments, m_setup.timeoutMs);
    return !Refused(answer, QStringLiteral("could not write %1 values at %2").arg(own.Count()).arg(Hex(own.Address())));
}

// --- run control -------------------------------------------------------------

void CCcsDspUser::Run()
{
    if (m_bRunning)
        return;
    Ask(QStringLiteral("run"), {}, QStringLiteral("could not run the target"));
    m_bRunning = true;
    AwaitHalt();
}

// One slice of waiting for the halt; the answer comes from the event loop.
void CCcsDspUser::AwaitHalt()
{
    Bridge().Post(QStringLiteral("waitForHalt"), {{QStringLiteral("ms"), kHaltSliceMs}},
                  kHaltSliceMs + m_setup.timeoutMs, [this](const CCcsBridge::Answer &answer) { OnWaited(answer); });
}

void CCcsDspUser::OnWaited(const CCcsBridge::Answer &answer)
{
    if (!m_bRunning)
        return;
    try {
        if (answer.error)
            throw CAutomationError::Described(
                QStringLiteral("%1 failed while the target ran: %2").arg(Where(), *answer.error));
        if (!answer.result.value(QLatin1String("halted")).toBool()) {
            // The next slice is asked from the event loop, never inside another request.
            QMetaObject::invokeMethod(m_pBridge.get(), [this] { AwaitNextSlice(); }, Qt::QueuedConnection);
            return;
        }
        m_bRunning = false;
        m_pSinks->DeliverHalt(Pc());
    } catch (const CAutomationError &error) {
        OnLost(error.Text());
    }
}

// A bridge that can take no request fails the running operation, as its end does.
void CCcsDspUser::AwaitNextSlice()
{
    if (!m_bRunning)
        return;
    try {
        AwaitHalt();
    } catch (const CAutomationError &error) {
        OnLost(error.Text());
    }
}

void CCcsDspUser::OnLost(const QString &reason)
{
    if (!m_bRunning)
        return;
    m_bRunning = false;
    m_pSinks->DeliverTargetLost(reason);
}

void CCcsDspUser::Halt()
{
    if (!m_bRunning)
        return;
    m_bRunning = false;
    const CCcsBridge::Answer answer = Bridge().Call(QStringLiteral("halt"), {}, m_setup.timeoutMs);
    if (answer.error) {
        Bridge().LogStandardError();
        throw CAutomationError::Described(
            answer.timedOut ? QStringLiteral("%1 did not halt within %2 seconds.")
                                  .arg(Where(), CAutomationError::SecondsText(m_setup.timeoutMs))
                            : QStringLiteral("%1 could not halt the target: %2").arg(Where(), *answer.error));
    }
    m_pSinks->DeliverHalt(Pc());
}

quint32 CCcsDspUser::Pc()
{
    return quint32(Ask(QStringLiteral("pc"), {}, QStringLiteral("could not read the pc")).value(QLatin1String("pc")).toInteger());
}

void CCcsDspUser::SetBreakpoint(const IDspValue &location)
{
    const quint32 address = location.Number();
    if (m_breakpoints.contains(address))
        return;
    const QJsonObject result = Ask(QStringLiteral("breakpointAdd"), {{QStringLiteral("location"), qint64(address)}},
                                   QStringLiteral("could not set a breakpoint at %1").arg(Hex(address)));
    m_breakpoints.insert(address, result.value(QLatin1String("handle")).toInteger());
}

void CCcsDspUser::RemoveBreakpoint(const IDspValue &location)
{
    const quint32 address = location.Number();
    const auto found = m_breakpoints.constFind(address);
    if (found == m_breakpoints.constEnd())
        return;
    Ask(QStringLiteral("breakpointRemove"), {{QStringLiteral("handle"), *found}},
        QStringLiteral("could not remove the breakpoint at %1").arg(Hex(address)));
    m_breakpoints.remove(address);
}

// --- program -----------------------------------------------------------------

bool CCcsDspUser::LoadProgram(const QString &path)
{
    Halt();
    for (const quint32 address : m_breakpoints.keys())
        RemoveBreakpoint(CAddressValue(address));
    const CCcsBridge::Answer answer = Bridge().Call(QStringLiteral("load"), {{QStringLiteral("path"), path}},
                                                    m_setup.timeoutMs);
    if (answer.error)
        Bridge().LogStandardError();
    m_pSinks->DeliverLoadFinished(
        answer.error ? QStringLiteral("%1 could not load %2: %3").arg(Where(), path, *answer.error) : QString());
    return true;
}

bool CCcsDspUser::FindSymbol(const QString &name, IDspValue &value)
{
    auto &own = BackendObject<CAddressValue>(value, "IDspUser.FindSymbol");
    const QJsonValue address = Ask(QStringLiteral("symbol"), {{QStringLiteral("name"), name}},
                                   QStringLiteral("could not look up %1").arg(name))
                                   .value(QLatin1String("address"));
    if (!address.isDouble())
        return false;
    own.SetNumber(quint32(address.toInteger()));
    return true;
}
