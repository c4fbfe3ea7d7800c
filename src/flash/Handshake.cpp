#include "Handshake.h"

#include "form/FormModel.h"
#include "app/CorvaneApp.h"
#include "base/Prompter.h"
#include "base/ScopedStatusText.h"
#include "config/CorvaneDoc.h"
#include "config/NumberParsing.h"
#include "wire/CommMessage.h"
#include "wire/FlashBaseWire.h"
#include "wire/MaxDataBytes.h"
#include "config/ControlIds.h"
#include "debugger/TargetLink.h"

namespace {
constexpr quint16 kMaxBufferBytes = CommMessage::kDataCapacity;
} // namespace

CHandshake::CHandshake(CFormModel &form)
    : m_form(form)
{
}

void CHandshake::Start()
{
    CScopedStatusText status(QStringLiteral("Requesting initial info from CVTC"));
    m_form.Register();
    m_form.State().Set(Op::Handshake, Step::SendProtocolIdRequest);
    m_form.ResumeTarget();
}

void CHandshake::Step()
{
    switch (m_form.State().SubState()) {
    case Step::SendProtocolIdRequest: SendNext(Step::ReadProtocolId, int(CommandCode::GetProtocolId)); break;
    case Step::ReadProtocolId: ReadProtocolId(); break;
    case Step::ReadMaxBufferSize: ReadMaxBufferSize(); break;
    case Step::ReadVersionIdFixedSize:
    case Step::ReadVersionId: ReadVersionId(); break;
    case Step::ReadFlashBase: ReadFlashBase(); break;
    case Step::ReadFlashSize: ReadFlashSize(); break;
    default: m_form.FailOperation(QStringLiteral("Entered a mysterious state: eIC_??.")); break;
    }
}

void CHandshake::SendNext(int subState, int command)
{
    m_form.State().SetSubState(subState);
    CommMessage request;
    request.SetCommandWord(quint16(command));
    m_form.SendHeader(request);
}

bool CHandshake::ReceiveAnswer(CommMessage &answer, int command, const char *message)
{
    m_form.ReceiveHeader(answer);
    if (answer.Command() == command)
        return true;
    m_form.FailOperation(QString::asprintf(message, unsigned(answer.Command())));
    return false;
}

void CHandshake::ReadProtocolId()
{
    CommMessage answer;
    if (!ReceiveAnswer(answer, int(CommandCode::GetProtocolId),
                       "Cannot get CVTC Comm Protocol Version ID. (cmd = %x?)"))
        return;
    const quint16 id = answer.Param(0);
    m_form.SetProtocolId(id);
    switch (id) {
    case 1:
    case 2:
        m_form.SetMaxDataWords(id == 1 ? 128 : 384);
        SendNext(Step::ReadVersionIdFixedSize, int(CommandCode::GetVersionId));
        break;
    case 3:
    case 4: SendNext(Step::ReadMaxBufferSize, int(CommandCode::GetMaxBufferSize)); break;
    default:
        thePrompter().ShowMessage(QString::asprintf(
            "CVTC's Communications Protocol ID (%x) is unknown to this version of Corvane.\r\n Either update the "
            "CVTC program or try a different CVTC.\n\rQuitting application.",
            unsigned(id)));
        theApp().MarkRunFailed();
        m_form.RequestClose();
        m_form.State().SetIdle();
        break;
    }
}

void CHandshake::ReadMaxBufferSize()
{
    const char *message = "Cannot get max allowed data buffer size from CVTC.";
    CommMessage answer;
    if (!ReceiveAnswer(answer, int(CommandCode::GetMaxBufferSize), message))
        return;
    const quint16 size = answer.Param(0);
    // A size the message block cannot carry would make every transfer wrong.
    if (size > kMaxBufferBytes || UsableBufferSize(size) == 0) {
        m_form.FailOperation(QString::fromLatin1(message));
        return;
    }
    m_form.SetMaxDataWords(UsableBufferSize(size) / 2);
    SendNext(Step::ReadVersionId, int(CommandCode::GetVersionId));
}

void CHandshake::ReadVersionId()
{
    CommMessage answer;
    if (!ReceiveAnswer(answer, int(CommandCode::GetVersionId), "Cannot get CVTC Version ID from Target."))
        return;
    m_form.Controls().SetText(ControlId::CvtcVersionEdit,
                              QString::asprintf("%d.%05d", int(answer.Param(0)), int(answer.Param(1))));
    SendNext(Step::ReadFlashBase, int(CommandCode::GetFlashBase));
}

void CHandshake::ReadFlashBase()
{
    CommMessage answer;
    if (!ReceiveAnswer(answer, int(CommandCode::GetFlashBase), "Cannot get flash memory base addr. from CVTC."))
        return;
    const quint32 base = FlashBaseFromWire(answer.Param32(0), m_form.Doc().m_nSubfamily, m_form.ProtocolId());
    Reconcile(ControlId::FlashBaseEdit, base,
              "Document's Flash Base Address disagrees withTarget's Base Address.\nWould you like me to change "
              "Document\nfrom %lX to %lX to match the Hardware?");
    SendNext(Step::ReadFlashSize, int(CommandCode::GetFlashSize));
}

void CHandshake::ReadFlashSize()
{
    CommMessage answer;
    if (!ReceiveAnswer(answer, int(CommandCode::GetFlashSize), "Cannot get flash memory size from CVTC."))
        return;
    Reconcile(ControlId::FlashSizeEdit, answer.Param32(0),
              "Document's Flash Memory Size disagrees withTarget's Memory Size.\nWould you like me to change "
              "Document\nfrom %lX to %lX to match the Hardware?");
    if (!theApp().IsInteractive()) {
        m_form.State().Set(Op::CommandLineRun, Step::RunErase);
        m_form.SelfNotify();
        return;
    }
    m_form.Controls().SetVisible(ControlId::Step2DoneIcon, true);
    m_form.Controls().SetText(ControlId::CvtcStatusEdit, QStringLiteral("(Connected)"));
    m_form.State().SetIdle();
}

void CHandshake::Reconcile(int fieldId, quint32 targetValue, const char *question)
{
    const QString text = m_form.Controls().Text(fieldId);
    if (!text.isEmpty()) {
        const quint32 documentValue = ParseUnsigned(text);
        if (documentValue == targetValue)
            return;
        const QString asked = QString::asprintf(question, static_cast<unsigned long>(documentValue),
                                                static_cast<unsigned long>(targetValue));
        if (!thePrompter().AskYesNo(asked, true))
            return;
    }
    m_form.SetEditText(fieldId, QString::asprintf("0x%X", targetValue));
}
