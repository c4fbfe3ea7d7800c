#include "GdbTarget.h"

#include "GdbConnection.h"
#include "GdbPacket.h"
#include "GdbTargetDescription.h"
#include "base/MessageLog.h"
#include "debugger/AutomationError.h"

#include <QtEndian>

#include <string_view>

namespace {

constexpr qsizetype kFrameBytes = 5;           // "$", "#", two checksum digits and room for a terminator
constexpr qsizetype kMaxWriteHeader = 19;      // "Xffffffff,ffffffff:"
constexpr qsizetype kMaxDescriptionBytes = 1 << 20;
constexpr qsizetype kWordBytes = 4;

QByteArray Hex(quint32 number)
{
    return QByteArray::number(number, 16);
}

bool IsError(const QByteArray &answer)
{
    return answer.startsWith("E.") || (answer.size() == 3 && answer[0] == 'E' && CGdbPacket::FromHex(answer.mid(1)));
}

// "O" and hexadecimal text: output of the target while it runs.
bool IsConsoleOutput(const QByteArray &packet)
{
    return packet.size() > 1 && packet[0] == 'O' && CGdbPacket::FromHex(packet.mid(1));
}

// A stop reply starting with `kinds` and a two-digit signal or status ("T05thread:01;", "W00").
bool IsStopReply(const QByteArray &packet, std::string_view kinds)
{
    return packet.size() >= 3 && kinds.find(packet[0]) != kinds.npos && CGdbPacket::FromHex(packet.mid(1, 2))
        && (packet.size() == 3 || packet[0] == 'T' || packet[3] == ';');
}

// "W00", "X09": the target exited or was ended.
bool IsExit(const QByteArray &packet)
{
    return IsStopReply(packet, "WX");
}

// A stop reply or output that answers no request: a stop the server announces on its own.
bool IsStopNotice(const QByteArray &packet)
{
    return IsStopReply(packet, "TS") || IsConsoleOutput(packet);
}

QByteArray BreakpointPacket(char insertOrRemove, char type, quint32 address)
{
    return QByteArray(1, insertOrRemove) + type + ',' + Hex(address) + ',' + QByteArray::number(CGdbTarget::kBreakpointKind);
}

} // namespace

CGdbTarget::CGdbTarget(std::unique_ptr<CGdbConnection> connection, bool bigEndian)
    : m_pConnection(std::move(connection))
    , m_bBigEndian(bigEndian)
{
    connect(m_pConnection.get(), &CGdbConnection::Arrived, this, &CGdbTarget::OnArrived);
}

CGdbTarget::~CGdbTarget()
{
    if (m_running.isValid())
        theLog.AddTrace(QStringLiteral("%1: the target ran %2 ms, the link took %3 ms.\r\n")
                       .arg(m_pConnection->Where())
                       .arg(m_nRunningMs)
                       .arg(m_pConnection->LinkMs()));
    try {
        Detach();
    } catch (const CAutomationError &error) {
        theLog.Add(error.Text() + QStringLiteral("\r\n"));
    }
}

// --- requests ----------------------------------------------------------------

QByteArray CGdbTarget::Ask(QByteArrayView packet)
{
    m_frame.Start().Add(packet);
    return Ask(m_frame);
}

// Sends the packet and returns its answer. A stop the server announced on its
// own (on a connection, or late after an interrupt) is no answer: it is
// passed over, before and after sending. An exit ends the target.
QByteArray CGdbTarget::Ask(CGdbFrame &frame)
{
    CheckHalted(frame.Payload());
    while (const std::optional<QByteArray> early = m_pConnection->TakeArrived())
        PassOver(*early);
    m_pConnection->Send(frame);
    const QByteArrayView packet = frame.Payload();   // in the finished frame
    for (;;) {
        const QByteArray answer = m_pConnection->Await(packet);
        if (packet == "?" && IsStopReply(answer, "TS"))
            return answer;
        if (!IsExit(answer) && !IsStopNotice(answer))
            return answer;
        PassOver(answer);
    }
}

void CGdbTarget::PassOver(const QByteArray &packet)
{
    if (IsExit(packet))
        EndTarget(packet);
    theLog.AddTrace(QStringLiteral("%1 announced \"%2\" by itself; passed over.\r\n")
                        .arg(m_pConnection->Where(), CGdbPacket::Shown(packet)));
}

// Keeps why the target is gone as the failure of every later call, and raises it.
void CGdbTarget::EndTarget(const QByteArray &exit)
{
    m_bRunning = false;
    m_strGone = exit[0] == 'W' ? QStringLiteral("The target of %1 exited with status %2.")
                                     .arg(m_pConnection->Where(), QString::fromLatin1(exit.mid(1, 2)))
                               : QStringLiteral("The target of %1 ended with signal %2.")
                                     .arg(m_pConnection->Where(), QString::fromLatin1(exit.mid(1, 2)));
    throw CAutomationError::Described(m_strGone);
}

void CGdbTarget::AskOk(QByteArrayView packet)
{
    const QByteArray answer = Ask(packet);
    if (answer != "OK")
        Reject(packet, answer);
}

// Raises the failure an answer other than the expected one means.
void CGdbTarget::Reject(QByteArrayView packet, const QByteArray &answer) const
{
    const QString where = m_pConnection->Where();
    const QString request = CGdbPacket::Shown(packet);
    if (answer.isEmpty())
        throw CAutomationError::Described(QStringLiteral("%1 does not support \"%2\".").arg(where, request));
    if (IsError(answer))
        throw CAutomationError::Described(
            QStringLiteral("%1 answered \"%2\" with error %3.").arg(where, request, CGdbPacket::Shown(answer)));
    throw CAutomationError::Described(QStringLiteral("%1 answered \"%2\" with \"%3\", which is no answer to it.")
                                          .arg(where, request, CGdbPacket::Shown(answer)));
}

void CGdbTarget::LogRefusal(QByteArrayView packet, const QByteArray &answer) const
{
    theLog.Add(QStringLiteral("%1 answered \"%2\" with error %3.\r\n")
                   .arg(m_pConnection->Where(), CGdbPacket::Shown(packet), CGdbPacket::Shown(answer)));
}

void CGdbTarget::CheckHalted(QByteArrayView packet) const
{
    if (!m_strGone.isEmpty())
        throw CAutomationError::Described(m_strGone);
    if (m_bRunning)
        throw CAutomationError::Described(QStringLiteral("%1 cannot be asked \"%2\" while the target runs.")
                                              .arg(m_pConnection->Where(), CGdbPacket::Shown(packet)));
}

// --- start -------------------------------------------------------------------

// A target the server left running (another client detached) is stopped
// first: servers pass the interrupt over while the target is stopped.
void CGdbTarget::Start()
{
    m_pConnection->Interrupt();
    ReadFeatures();
    const QByteArray actions = Ask("vCont?");
    m_bContinueAction = actions.startsWith("vCont") && actions.split(';').contains("c");
    m_bStepAction = actions.startsWith("vCont") && actions.split(';').contains("s");
    if (m_bDescription)
        m_nPcRegister = CGdbTargetDescription([this](const QString &annex) { return ReadDescription(annex); })
                            .PcRegister()
                            .value_or(kArmPcRegister);
    TakeStopReply("?", Ask("?"));
}

void CGdbTarget::ReadFeatures()
{
    const QByteArray packet = "qSupported:swbreak+;hwbreak+";
    const QByteArray answer = Ask(packet);
    if (IsError(answer))
        Reject(packet, answer);
    bool noAck = false;
    for (const QByteArray &feature : answer.split(';')) {
        if (feature.startsWith("PacketSize="))
            m_nPacketSize = qint32(std::min<quint32>(
                CGdbPacket::NumberFromHex(feature.mid(11)).value_or(kDefaultPacketSize), kMaxPacketSize));
        noAck = noAck || feature == "QStartNoAckMode+";
        m_bDescription = m_bDescription || feature == "qXfer:features:read+";
    }
    m_pConnection->SetPacketSize(m_nPacketSize);
    if (noAck) {
        AskOk("QStartNoAckMode");
        m_pConnection->StopAcknowledging();
    }
}

// The document `annex` of the target description, read in pieces; nothing
// when the server does not give it.
std::optional<QByteArray> CGdbTarget::ReadDescription(const QString &annex)
{
    QByteArray text;
    while (text.size() <= kMaxDescriptionBytes) {
        const QByteArray packet = "qXfer:features:read:" + annex.toUtf8() + ':' + Hex(quint32(text.size())) + ','
            + Hex(quint32(std::max<qsizetype>(PayloadRoom(), 1)));
        const QByteArray answer = Ask(packet);
        if (answer.isEmpty() || (answer[0] != 'l' && answer[0] != 'm'))
            return std::nullopt;
        text += CGdbPacket::Unescape(answer.mid(1));
        if (answer[0] == 'l')
            return text;
        if (answer.size() == 1)
            return std::nullopt;
    }
    return std::nullopt;
}

// --- memory ------------------------------------------------------------------

// Room for the payload; nothing fits a server's packets when it is below 1
// (a packet of one byte is then sent, for the connection to refuse it with a message).
qsizetype CGdbTarget::PayloadRoom() const
{
    return m_nPacketSize - kFrameBytes;
}

std::optional<QByteArray> CGdbTarget::ReadMemory(quint32 address, qint32 count)
{
    QByteArray bytes;
    while (bytes.size() < count) {
        const qsizetype chunk = std::clamp<qsizetype>(PayloadRoom() / 2, 1, count - bytes.size());
        m_frame.Start().Add('m').AddNumber(address + quint32(bytes.size())).Add(',').AddNumber(quint32(chunk));
        const QByteArray answer = Ask(m_frame);
        if (IsError(answer)) {
            LogRefusal(m_frame.Payload(), answer);
            return std::nullopt;
        }
        const std::optional<QByteArray> data = CGdbPacket::FromHex(answer);
        if (!data || data->isEmpty() || data->size() > chunk)
            Reject(m_frame.Payload(), answer);
        bytes += *data;
    }
    return bytes;
}

bool CGdbTarget::WriteMemory(quint32 address, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const quint32 at = address + quint32(done);
        if (!m_binaryWrite)
            ProbeBinaryWrite(at);
        const qsizetype taken = WritePacket(at, QByteArrayView(bytes).sliced(done));
        const QByteArray answer = Ask(m_frame);
        if (IsError(answer)) {
            LogRefusal(m_frame.Payload(), answer);
            return false;
        }
        if (answer != "OK")
            Reject(m_frame.Payload(), answer);
        done += taken;
    }
    return true;
}

// A binary write of no bytes: an empty answer means the server has none.
void CGdbTarget::ProbeBinaryWrite(quint32 address)
{
    m_binaryWrite = !Ask('X' + Hex(address) + ",0:").isEmpty();
}

// Builds the write of as many of `bytes` as fit into one packet in m_frame;
// returns how many.
qsizetype CGdbTarget::WritePacket(quint32 address, QByteArrayView bytes)
{
    const qsizetype room = PayloadRoom() - kMaxWriteHeader;
    qsizetype taken = 0;
    if (!*m_binaryWrite) {
        taken = std::clamp<qsizetype>(room / 2, 1, bytes.size());
    } else {
        qsizetype used = 0;
        for (; taken < bytes.size() && (taken == 0 || used + CGdbPacket::EscapedSize(bytes[taken]) <= room); ++taken)
            used += CGdbPacket::EscapedSize(bytes[taken]);
    }
    m_frame.Start().Add(*m_binaryWrite ? 'X' : 'M').AddNumber(address).Add(',').AddNumber(quint32(taken)).Add(':');
    *m_binaryWrite ? m_frame.AddEscaped(bytes.first(taken)) : m_frame.AddHex(bytes.first(taken));
    return taken;
}

// --- breakpoints -------------------------------------------------------------

// A software breakpoint, or a hardware one when the server has no software breakpoints.
void CGdbTarget::InsertBreakpoint(quint32 address)
{
    if (m_breakpoints.contains(address))
        return;
    const QByteArray packet = BreakpointPacket('Z', m_breakpointType, address);
    const QByteArray answer = Ask(packet);
    if (answer.isEmpty() && m_breakpointType == '0') {
        m_breakpointType = '1';
        InsertBreakpoint(address);
        return;
    }
    if (answer != "OK")
        Reject(packet, answer);
    m_breakpoints.insert(address, m_breakpointType);
}

void CGdbTarget::RemoveBreakpoint(quint32 address)
{
    const auto found = m_breakpoints.constFind(address);
    if (found == m_breakpoints.constEnd())
        return;
    AskOk(BreakpointPacket('z', *found, address));
    m_breakpoints.remove(address);
}

void CGdbTarget::RemoveBreakpoints()
{
    for (const quint32 address : m_breakpoints.keys())
        RemoveBreakpoint(address);
}

// --- the pc ------------------------------------------------------------------

QByteArray CGdbTarget::WordBytes(quint32 value) const
{
    QByteArray bytes(kWordBytes, '\0');
    m_bBigEndian ? qToBigEndian(value, bytes.data()) : qToLittleEndian(value, bytes.data());
    return bytes;
}

quint32 CGdbTarget::WordValue(const QByteArray &bytes) const
{
    return m_bBigEndian ? qFromBigEndian<quint32>(bytes.constData()) : qFromLittleEndian<quint32>(bytes.constData());
}

QByteArray CGdbTarget::ReadRegisters()
{
    const QByteArray answer = Ask("g");
    const std::optional<QByteArray> registers = CGdbPacket::FromHex(answer);
    if (!registers || registers->size() < (kArmPcRegister + 1) * kWordBytes)
        Reject("g", answer);
    return *registers;
}

// The pc, read once per stop: through its own register number (the
// description's, else ARM's) while the server takes single registers, else from all registers.
quint32 CGdbTarget::Pc()
{
    if (!m_knownPc)
        m_knownPc = ReadPc();
    return *m_knownPc;
}

// True when the server took `packet`, the first try of a single-register
// access; a refusal then turns `taken` off for good, a later one raises.
bool CGdbTarget::TookSingleRegister(std::optional<bool> &taken, const QByteArray &packet, const QByteArray &answer,
                                    bool accepted)
{
    if (!accepted && taken.value_or(false))
        Reject(packet, answer);
    taken = accepted;
    return accepted;
}

quint32 CGdbTarget::ReadPc()
{
    if (m_singleRead.value_or(true)) {
        const QByteArray packet = 'p' + Hex(quint32(m_nPcRegister));
        const QByteArray answer = Ask(packet);
        const std::optional<QByteArray> value = CGdbPacket::FromHex(answer);
        if (TookSingleRegister(m_singleRead, packet, answer, value && value->size() == kWordBytes))
            return WordValue(*value);
    }
    return WordValue(ReadRegisters().mid(kArmPcRegister * kWordBytes, kWordBytes));
}

void CGdbTarget::SetPc(quint32 pc)
{
    m_knownPc.reset();
    if (m_singleWrite.value_or(true)) {
        const QByteArray packet = 'P' + Hex(quint32(m_nPcRegister)) + '=' + WordBytes(pc).toHex();
        const QByteArray answer = Ask(packet);
        if (TookSingleRegister(m_singleWrite, packet, answer, answer == "OK"))
            return;
    }
    QByteArray registers = ReadRegisters();
    registers.replace(kArmPcRegister * kWordBytes, kWordBytes, WordBytes(pc));
    AskOk('G' + registers.toHex());
}

// --- run control -------------------------------------------------------------

void CGdbTarget::Resume()
{
    CheckHalted("c");
    const quint32 pc = Pc();
    if (m_breakpoints.contains(pc))
        StepOver(pc);
    m_knownPc.reset();
    m_pConnection->Send(ContinuePacket());
    m_bRunning = true;
    m_running.start();
    // The stop may have come with the acknowledgement, read while it was
    // awaited; else the connection announces it when it comes.
    if (m_pConnection->HasArrived())
        QMetaObject::invokeMethod(this, &CGdbTarget::OnArrived, Qt::QueuedConnection);
}

QByteArray CGdbTarget::ContinuePacket() const
{
    return m_bContinueAction ? "vCont;c" : "c";
}

// Takes the breakpoint at `address` away for one instruction.
void CGdbTarget::StepOver(quint32 address)
{
    const char type = m_breakpoints.value(address);
    AskOk(BreakpointPacket('z', type, address));
    m_breakpoints.remove(address);
    const QByteArray step = m_bStepAction ? "vCont;s" : "s";
    m_knownPc.reset();
    m_pConnection->Send(step);
    TakeStopReply(step, AwaitStopReply(step));
    AskOk(BreakpointPacket('Z', type, address));
    m_breakpoints.insert(address, type);
}

void CGdbTarget::Interrupt()
{
    if (!m_bRunning)
        return;
    m_pConnection->Interrupt();
    const QByteArray answer = AwaitStopReply("\x03");
    m_bRunning = false;
    TakeStopReply("\x03", answer);
}

QByteArray CGdbTarget::AwaitStopReply(const QByteArray &request)
{
    for (;;) {
        const QByteArray answer = m_pConnection->Await(request);
        if (!IsConsoleOutput(answer))
            return answer;
    }
}

// Returns when the answer says the target stopped, with the pc known when
// the reply gives it ("T05...;f:00100000;"); raises when it says the target
// is gone (kept as the failure of every later call) or something else.
void CGdbTarget::TakeStopReply(QByteArrayView request, const QByteArray &reply)
{
    if (IsExit(reply))
        EndTarget(reply);
    if (!IsStopReply(reply, "TS"))
        Reject(request, reply);
    if (reply[0] != 'T')
        return;
    const QByteArray pcField = Hex(quint32(m_nPcRegister)) + ':';
    for (const QByteArray &field : reply.mid(3).split(';')) {
        const std::optional<QByteArray> value = CGdbPacket::FromHex(field.mid(pcField.size()));
        if (field.startsWith(pcField) && value && value->size() == kWordBytes)
            m_knownPc = WordValue(*value);
    }
}

void CGdbTarget::OnArrived()
{
    if (!m_bRunning)
        return;
    try {
        m_pConnection->CheckUsable();
        while (const std::optional<QByteArray> packet = m_pConnection->TakeArrived()) {
            if (IsConsoleOutput(*packet))
                continue;
            m_bRunning = false;
            m_nRunningMs += m_running.elapsed();
            TakeStopReply(ContinuePacket(), *packet);
            emit Stopped();
            return;
        }
    } catch (const CAutomationError &error) {
        m_bRunning = false;
        emit Lost(error.Text());
    }
}

// Takes the breakpoints away and lets the server go on without Corvane.
void CGdbTarget::Detach()
{
    if (m_pConnection->IsBroken() || !m_strGone.isEmpty())
        return;
    Interrupt();
    RemoveBreakpoints();
    Ask("D");
}
