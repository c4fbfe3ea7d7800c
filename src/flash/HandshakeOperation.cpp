#include "HandshakeOperation.h"

#include "OperationHost.h"
#include "wire/CommMessage.h"
#include "wire/FlashBaseWire.h"
#include "wire/MessageDataSize.h"

void CHandshakeOperation::Start()
{
    m_step = Step::SendProtocolIdRequest;
    m_host.ResumeTarget();
}

void CHandshakeOperation::OnHalt()
{
    switch (m_step) {
    case Step::SendProtocolIdRequest: SendNext(Step::ReadProtocolId, CommandCode::GetProtocolId); break;
    case Step::ReadProtocolId: ReadProtocolId(); break;
    case Step::ReadMaxBufferSize: ReadMaxBufferSize(); break;
    case Step::ReadVersionIdFixedSize:
    case Step::ReadVersionId: ReadVersionId(); break;
    case Step::ReadFlashBase: ReadFlashBase(); break;
    case Step::ReadFlashSize: ReadFlashSize(); break;
    }
}

void CHandshakeOperation::SendNext(Step next, CommandCode command)
{
    m_step = next;
    CommMessage request;
    request.SetCommand(command);
    m_host.SendHeader(request);
}

bool CHandshakeOperation::ReceiveAnswer(CommMessage &answer, CommandCode command, const char *message)
{
    if (!m_host.ReceiveHeader(answer))
        return false;
    if (answer.IsAnswerTo(command))
        return true;
    m_host.Fail(CFailure::Logged(QString::asprintf(message, unsigned(answer.Command()))));
    return false;
}

void CHandshakeOperation::ReadProtocolId()
{
    CommMessage answer;
    if (!ReceiveAnswer(answer, CommandCode::GetProtocolId, "Cannot get CVTC Comm Protocol Version ID. (cmd = %x?)\r\n"))
        return;
    const quint16 id = answer.Param(0);
    m_host.FactsToUpdate().protocolId = id;
    switch (id) {
    case 1:
    case 2:
        m_host.FactsToUpdate().maxDataBytes = DataBytesOfWords(id == 1 ? 128 : 384);
        SendNext(Step::ReadVersionIdFixedSize, CommandCode::GetVersionId);
        break;
    case 3:
    case 4: SendNext(Step::ReadMaxBufferSize, CommandCode::GetMaxBufferSize); break;
    default:
        m_host.Fail(CFailure::Message(
            QString::asprintf("CVTC's Communications Protocol ID (%x) is unknown to this version of Corvane.\r\n "
                              "Either update the CVTC program or try a different CVTC.\n\rQuitting application.",
                              unsigned(id)),
            CFailure::Then::ProgramEnds));
        break;
    }
}

void CHandshakeOperation::ReadMaxBufferSize()
{
    const char *message = "Cannot get max allowed data buffer size from CVTC.\r\n";
    CommMessage answer;
    if (!ReceiveAnswer(answer, CommandCode::GetMaxBufferSize, message))
        return;
    const quint16 size = answer.Param(0);
    // A size the message block cannot carry would make every transfer wrong.
    if (size > CommMessage::kDataCapacity || UsableBufferSize(size) == 0) {
        m_host.Fail(CFailure::Logged(QString::fromLatin1(message)));
        return;
    }
    m_host.FactsToUpdate().maxDataBytes = UsableBufferSize(size);
    SendNext(Step::ReadVersionId, CommandCode::GetVersionId);
}

void CHandshakeOperation::ReadVersionId()
{
    CommMessage answer;
    if (!ReceiveAnswer(answer, CommandCode::GetVersionId, "Cannot get CVTC Version ID from Target.\r\n"))
        return;
    m_host.FactsToUpdate().versionText = QString::asprintf("%d.%05d", int(answer.Param(0)), int(answer.Param(1)));
    SendNext(Step::ReadFlashBase, CommandCode::GetFlashBase);
}

void CHandshakeOperation::ReadFlashBase()
{
    CommMessage answer;
    if (!ReceiveAnswer(answer, CommandCode::GetFlashBase, "Cannot get flash memory base addr. from CVTC.\r\n"))
        return;
    m_host.FactsToUpdate().flashBase = FlashBaseFromWire(answer.Param32(0), m_nSubfamily, m_host.Facts().protocolId);
    SendNext(Step::ReadFlashSize, CommandCode::GetFlashSize);
}

void CHandshakeOperation::ReadFlashSize()
{
    CommMessage answer;
    if (!ReceiveAnswer(answer, CommandCode::GetFlashSize, "Cannot get flash memory size from CVTC.\r\n"))
        return;
    m_host.FactsToUpdate().flashSize = answer.Param32(0);
    m_host.Succeed();
}
