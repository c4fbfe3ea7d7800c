#include "ProgramOperation.h"

#include "form/FormModel.h"
#include "app/CorvaneApp.h"
#include "base/FailureReporter.h"
#include "base/MessageLog.h"
#include "base/Prompter.h"
#include "base/StatusText.h"
#include "base/TickClock.h"
#include "config/CorvaneDoc.h"
#include "config/NumberParsing.h"
#include "image/HexConversionRun.h"
#include "image/HexImageReader.h"
#include "wire/CommMessage.h"
#include "config/ControlIds.h"
#include "wire/FlashBaseWire.h"
#include "debugger/TargetLink.h"

namespace {
constexpr qint32 kSubfamily54x = 0x54;
constexpr quint32 kBootAddress = 0xFFFF;
} // namespace

CProgramOperation::CProgramOperation(CFormModel &form)
    : m_form(form)
{
}

CProgramOperation::~CProgramOperation() = default;

void CProgramOperation::Start()
{
    m_form.ClearLogUnlessVerbose();
    m_form.Refresh();
    theStatusText().SetStatusText(QStringLiteral("Programming Flash Memory"));
    const QString commandFile = m_form.Controls().Text(ControlId::HexCmdEdit);
    if (const std::optional<CFailure> failure = HexConversionRun(commandFile, m_form.Doc().m_nSubfamily)) {
        theReporter().Report(*failure);
        return;
    }
    if (!theApp().IsInteractive())
        m_form.State().Push();
    m_form.Register();
    m_form.State().Set(Op::Program, Step::ProgramSendBase);
    Step();
    m_form.Refresh();
}

void CProgramOperation::Step()
{
    switch (m_form.State().SubState()) {
    case Step::ProgramSendBase: SendFlashBase(); break;
    case Step::ProgramSendSize: SendFlashSize(); break;
    case Step::ProgramOpenImage: OpenImage(); break;
    case Step::ProgramNextBlock: WriteNextBlock(); break;
    case Step::ProgramAskChecksum: AskChecksum(Step::ProgramCompareChecksum); break;
    case Step::ProgramCompareChecksum: CompareChecksum(Step::ProgramNextBlock); break;
    case Step::ProgramEndOfImage: EndOfImage(); break;
    case Step::ProgramAskBootChecksum: AskBootChecksum(); break;
    case Step::ProgramCompareBootChecksum: CompareChecksum(Step::ProgramFinished); break;
    case Step::ProgramFinished: Finish(); break;
    case Step::ProgramCleanUp: CleanUp(); break;
    default:
        CleanUp();
        m_form.FailOperation(QStringLiteral("Unknown BurnFile state."));
        break;
    }
}

bool CProgramOperation::OnTick()
{
    if (!m_form.IsCancelRequested())
        return false;
    m_form.State().SetSubState(Step::ProgramCleanUp);
    Step();
    return true;
}

void CProgramOperation::SendFlashBase()
{
    m_nFlashBaseSent = ParseUnsigned(m_form.Controls().Text(ControlId::FlashBaseEdit));
    CommMessage request;
    request.SetCommand(CommandCode::SetFlashBase);
    request.SetParam32(0, FlashBaseToWire(m_nFlashBaseSent, m_form.Doc().m_nSubfamily, m_form.ProtocolId()));
    m_form.State().SetSubState(Step::ProgramSendSize);
    m_form.SendHeader(request);
}

void CProgramOperation::SendFlashSize()
{
    CommMessage request;
    request.SetCommand(CommandCode::SetFlashSize);
    request.SetParam32(0, ParseUnsigned(m_form.Controls().Text(ControlId::FlashSizeEdit)));
    m_form.State().SetSubState(Step::ProgramOpenImage);
    m_form.SendHeader(request);
}

void CProgramOperation::OpenImage()
{
    const QString path = m_form.Controls().Text(ControlId::BurnFileEdit);
    if (path.isEmpty()) {
        thePrompter().ShowMessage(
            QStringLiteral("No (.hex) file was specified.\r\nChoose a (.hex) file and click Program Flash"));
        if (!theApp().IsInteractive()) {
            theApp().MarkRunFailed();
            m_form.RequestClose();
        }
        m_form.State().SetIdle();
        return;
    }
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly)) {
        m_form.FailOperation(QStringLiteral("Cannot Open File for Burning.\r\n"));
        return;
    }
    const CTargetLink &link = m_form.Link();
    m_reader = std::make_unique<CHexImageReader>(m_file, m_form.Doc().m_nSubfamily, link.AddressingUnit(),
                                                 link.ReverseByteOrder());
    if (m_reader->GetFormat() == HexUnknown) {
        ReportMessage(m_reader->ErrorText());
        CloseImage();
        m_form.FailOperation(QStringLiteral("Not a hex file.\r\nUse Hex Conversion Utility.\r\n"));
        return;
    }
    m_nFileLength = m_file.size();
    m_nImageOffset = ParseUnsigned(m_form.Controls().Text(ControlId::ImageOffsetEdit));
    m_nStartTick = theTickClock().Now();
    CFormControls &controls = m_form.Controls();
    controls.SetProgressRange(0, 100);
    controls.SetProgressPosition(0);
    controls.SetVisible(ControlId::ProgressBar, true);
    controls.SetVisible(ControlId::EraseIcon, true);
    m_nBytesDone = 0;
    m_form.SetProgressBytes(0);
    m_bAbsoluteTiAddresses = false;
    m_nBlockLength = 0;
    m_block.assign(m_form.MaxBytes(), 0);
    m_form.ShowAbortButton();
    m_form.StartTimer(CFormModel::kProgramTimerId);
    m_form.State().SetSubState(Step::ProgramNextBlock);
    m_form.SelfNotify();
}

void CProgramOperation::WriteNextBlock()
{
    quint32 address = 0;
    do
        m_nBlockLength = m_reader->ReadBlock(address, m_block.data(), int(m_block.size()));
    while (m_nBlockLength == 0);

    if (m_nFileLength > 0)
        m_form.Controls().SetProgressPosition(int(m_reader->Position() * 100 / m_nFileLength));
    if (m_nBytesDone == 0 && m_reader->GetFormat() == HexTiAscii && address != 0)
        m_bAbsoluteTiAddresses = true;

    if (m_nBlockLength <= 0) {
        if (m_reader->HasFailed()) {
            ReportMessage(m_reader->ErrorText());
            StopWithFailure(QStringLiteral("Programming stopped at an error in the image file.\r\n"));
            return;
        }
        m_form.State().SetSubState(Step::ProgramEndOfImage);
        m_form.SelfNotify();
        return;
    }

    m_nTargetOffset = TargetOffset(address);
    const quint32 flashSize = m_form.Doc().m_nFlashSize;
    const quint32 end = m_nTargetOffset + quint32(m_nBlockLength) / quint32(m_form.Link().AddressingUnit());
    if (m_nTargetOffset >= flashSize || end > flashSize) {
        StopWithFailure(QString::asprintf("WRITE ERROR: Attempting to write locations\r\n 0x%x to 0x%x\r\nwhich is "
                                          "outside the logical bounds of Flash Memory:\r\n0 to 0x%x\r\n",
                                          m_nTargetOffset, end, flashSize));
        return;
    }

    // Without verification the next halt writes the next block.
    int nextSubState = Step::ProgramNextBlock;
    if (m_form.Doc().m_bVerifyWrite) {
        m_checksum.Reset(0);
        m_checksum.Add(m_block.data(), m_nBlockLength);
        nextSubState = Step::ProgramAskChecksum;
    }
    m_nBytesDone += m_nBlockLength;
    m_form.SetProgressBytes(m_nBytesDone);
    SendWrite(m_block.data(), m_nBlockLength, nextSubState);
}

quint32 CProgramOperation::TargetOffset(quint32 blockAddress) const
{
    switch (m_reader->GetFormat()) {
    case HexCcsData: return m_nImageOffset + blockAddress;
    case HexTiAscii:
        return m_bAbsoluteTiAddresses ? m_nImageOffset + blockAddress - m_nFlashBaseSent : m_nImageOffset + blockAddress;
    default: return m_nImageOffset + blockAddress - m_nFlashBaseSent;
    }
}

void CProgramOperation::AskChecksum(int nextSubState)
{
    CommMessage request;
    request.SetCommand(CommandCode::GetChecksum);
    request.SetParam32(0, m_nTargetOffset);
    request.SetParam32(2, quint32(m_nBlockLength));
    m_form.State().SetSubState(nextSubState);
    m_form.SendHeader(request);
}

void CProgramOperation::SendWrite(const quint8 *bytes, int count, int nextSubState)
{
    CommMessage request;
    request.SetCommand(CommandCode::WriteFlash);
    request.SetParam32(0, m_nTargetOffset);
    request.SetParam(2, quint32(count));
    request.SetData(bytes, count);
    m_form.State().SetSubState(nextSubState);
    m_form.SendMessage(request);
}

void CProgramOperation::CompareChecksum(int nextSubState)
{
    CommMessage answer;
    m_form.ReceiveHeader(answer);
    if (answer.Param(0) != m_checksum.Value()) {
        StopWithFailure(QString::asprintf(
            "Checksum Error: host checksum = %x, flash checksum = %x, address = %x, bytes = %x\r\n",
            unsigned(m_checksum.Value()), unsigned(answer.Param(0)), m_nTargetOffset, unsigned(m_nBlockLength)));
        return;
    }
    m_form.State().SetSubState(nextSubState);
    if (nextSubState == Step::ProgramFinished)
        Finish();
    else
        m_form.SelfNotify();
}

void CProgramOperation::EndOfImage()
{
    const CCorvaneDoc &doc = m_form.Doc();
    if (!doc.m_bWriteBootAddr || doc.m_nSubfamily != kSubfamily54x) {
        m_form.State().SetSubState(Step::ProgramFinished);
        m_form.SelfNotify();
        return;
    }
    const quint8 bootBytes[2] = {quint8(doc.m_nFlashBase >> 8), quint8(doc.m_nFlashBase)};
    m_nBlockLength = 2;
    m_checksum.Reset(0);
    m_checksum.Add(bootBytes, 2);
    m_nTargetOffset = kBootAddress - doc.m_nFlashBase;
    SendWrite(bootBytes, 2, Step::ProgramAskBootChecksum);
}

void CProgramOperation::AskBootChecksum()
{
    if (!m_form.Doc().m_bVerifyWrite) {
        m_form.State().SetSubState(Step::ProgramFinished);
        m_form.SelfNotify();
        return;
    }
    AskChecksum(Step::ProgramCompareBootChecksum);
}

void CProgramOperation::Finish()
{
    CloseImage();
    const quint32 elapsed = CTickClock::Elapsed(m_nStartTick, theTickClock().Now());
    const QString done = QString::asprintf("Corvane of %d bytes is complete.\r\nTime: %d mSec.\r\n", m_nBytesDone,
                                           int(elapsed));
    theStatusText().SetStatusText(done);
    theLog.Add(done);
    m_form.HideAbortButton();
    m_form.StopTimer(CFormModel::kProgramTimerId);
    m_form.Controls().SetVisible(ControlId::Step3DoneIcon, true);
    if (theApp().IsInteractive()) {
        m_form.State().SetSubState(Step::ProgramCleanUp);
    } else {
        m_form.Controls().SetVisible(ControlId::ProgressBar, false);
        m_form.Controls().SetVisible(ControlId::EraseIcon, false);
        m_form.State().Pop();
    }
    m_form.SelfNotify();
}

void CProgramOperation::CleanUp()
{
    CloseImage();
    m_form.HideAbortButton();
    m_form.StopTimer(CFormModel::kProgramTimerId);
    m_form.State().SetIdle();
    m_form.Controls().SetVisible(ControlId::ProgressBar, false);
    m_form.Controls().SetVisible(ControlId::EraseIcon, false);
}

void CProgramOperation::StopWithFailure(const QString &text)
{
    CloseImage();
    m_form.ReportContinuingFailure(text);
    m_form.State().SetSubState(Step::ProgramCleanUp);
    m_form.SelfNotify();
}

void CProgramOperation::CloseImage()
{
    m_reader.reset();
    m_file.close();
}
