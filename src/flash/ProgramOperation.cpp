#include "ProgramOperation.h"

#include "BlockDifference.h"
#include "OperationHost.h"
#include "base/FileName.h"
#include "base/InputFile.h"
#include "base/TickClock.h"
#include "image/HexConversionRun.h"
#include "image/HexImageReader.h"
#include "wire/CommMessage.h"
#include "wire/FlashBaseWire.h"

#include <utility>

namespace {
constexpr qint32 kSubfamily54x = 0x54;
constexpr quint32 kBootAddress = 0xFFFF;
} // namespace

CProgramOperation::CProgramOperation(COperationHost &host)
    : CFlashOperation(host)
    , m_readBack(host)
{
}

CProgramOperation::~CProgramOperation() = default;

void CProgramOperation::Start()
{
    m_host.Report(CProgressEvent::Status(Kind(), QStringLiteral("Programming Flash Memory")));
    if (!m_job.hexCommandFile.isEmpty()) {
        if (const std::optional<CFailure> failure = HexConversionRun(m_job.hexCommandFile, m_job.subfamily)) {
            m_host.Fail(*failure);
            return;
        }
    }
    m_step = Step::SendBase;
    OnHalt();
}

void CProgramOperation::OnHalt()
{
    m_tally.written += std::exchange(m_nUnanswered, 0);
    switch (m_step) {
    case Step::SendBase: SendFlashBase(); break;
    case Step::SendSize: SendFlashSize(); break;
    case Step::OpenImage: OpenImage(); break;
    case Step::NextBlock: NextBlock(); break;
    case Step::AskChecksum: AskChecksum(Step::CompareChecksum); break;
    case Step::CompareChecksum:
        if (ChecksumMatches()) {
            m_tally.verified += m_nBlockLength;
            m_step = Step::NextBlock;
            m_host.Continue();
        }
        break;
    case Step::CompareBlock:
    case Step::DescribeMismatch: break;  // reading back; the child's end continues
    case Step::EndOfImage: EndOfImage(); break;
    case Step::AskBootChecksum: AskBootChecksum(); break;
    case Step::CompareBootChecksum:
        if (ChecksumMatches())
            Finish();
        break;
    }
}

void CProgramOperation::OnChildSucceeded()
{
    if (m_step == Step::CompareBlock)
        CompareBlock();
    else
        DescribeMismatch();
}

void CProgramOperation::OnTick()
{
    EndIfAborted();
}

bool CProgramOperation::EndIfAborted()
{
    if (!m_host.IsAbortRequested())
        return false;
    m_host.Abandon();
    return true;
}

void CProgramOperation::SendFlashBase()
{
    CommMessage request;
    request.SetCommand(CommandCode::SetFlashBase);
    request.SetParam32(0, FlashBaseToWire(m_job.flashBase, m_job.subfamily, m_host.Facts().protocolId));
    m_step = Step::SendSize;
    m_host.SendHeader(request);
}

void CProgramOperation::SendFlashSize()
{
    CommMessage request;
    request.SetCommand(CommandCode::SetFlashSize);
    request.SetParam32(0, m_job.flashSize);
    m_step = Step::OpenImage;
    m_host.SendHeader(request);
}

void CProgramOperation::OpenImage()
{
    if (m_job.imagePath.isEmpty()) {
        m_host.Fail(
            CFailure::Message(QStringLiteral("No (.hex) file was specified.\r\nChoose a (.hex) file and click Program Flash")));
        return;
    }
    if (const QString reason = CInputFile::Open(m_file, m_job.imagePath); !reason.isEmpty()) {
        m_host.Fail(CFailure::Logged(QStringLiteral("Cannot Open File for Burning.\r\n")
                                     + CFileName::ReasonLine(m_job.imagePath, reason)));
        return;
    }
    OpenReader();
    if (m_reader->GetFormat() == HexUnknown) {
        m_host.Fail(ImageFailure(QStringLiteral("Not a hex file.\r\nUse Hex Conversion Utility.\r\n")));
        return;
    }
    m_nFileLength = m_file.size();
    m_nStartTick = m_host.Now();
    m_tally = {};
    m_nUnanswered = 0;
    m_bWritePass = false;
    m_changed.clear();
    m_nBlockIndex = 0;
    m_host.Report(CProgressEvent::Shown(Kind(), 0, 100, 0));
    m_bAbsoluteTiAddresses = false;
    m_nBlockLength = 0;
    m_block.assign(m_host.Facts().maxDataBytes, 0);
    m_host.SetAbortable(true);
    m_host.StartTicks();
    m_step = Step::NextBlock;
    m_host.Continue();
}

// Equal blocks are skipped here, in a loop, however many follow each other.
void CProgramOperation::NextBlock()
{
    while (ReadBlock()) {
        if (IsComparePass()) {
            ReadBack(QByteArray(reinterpret_cast<const char *>(m_block.data()), m_nBlockLength), Step::CompareBlock);
            return;
        }
        if (!m_job.changedOnly || m_changed[m_nBlockIndex - 1]) {
            WriteBlock();
            return;
        }
        m_tally.skipped += m_nBlockLength;
        m_tally.verified += m_nBlockLength;
    }
}

bool CProgramOperation::ReadBlock()
{
    quint32 address = 0;
    do
        m_nBlockLength = m_reader->ReadBlock(address, m_block.data(), int(m_block.size()));
    while (m_nBlockLength == 0);

    ReportProgress();
    if (m_nBlockIndex == 0 && m_reader->GetFormat() == HexTiAscii && address != 0)
        m_bAbsoluteTiAddresses = true;

    if (m_nBlockLength <= 0) {
        if (m_reader->HasFailed()) {
            m_host.Fail(ImageFailure(QStringLiteral("Programming stopped at an error in the image file.\r\n")));
            return false;
        }
        if (IsComparePass()) {
            StartWritePass();
        } else {
            m_step = Step::EndOfImage;
            m_host.Continue();
        }
        return false;
    }
    ++m_nBlockIndex;

    m_nTargetOffset = TargetOffset(address);
    // Offsets count address units; the flash size counts bytes.
    const quint32 flashSize = m_job.flashSize / quint32(m_job.addressingUnit);
    const quint32 end = m_nTargetOffset + quint32(m_nBlockLength) / quint32(m_job.addressingUnit);
    if (m_nTargetOffset >= flashSize || end > flashSize) {
        m_host.Fail(CFailure::Logged(
            QString::asprintf("WRITE ERROR: Attempting to write locations\r\n 0x%x to 0x%x\r\nwhich is outside the "
                              "logical bounds of Flash Memory:\r\n0 to 0x%x\r\n",
                              m_nTargetOffset, end, flashSize)));
        return false;
    }
    return true;
}

void CProgramOperation::ReadBack(const QByteArray &expected, Step next)
{
    m_expected = expected;
    m_step = next;
    m_readBack.SetPage(m_nTargetOffset, int(m_expected.size()));
    m_host.RunChild(m_readBack);
}

// The timer's ticks reach this operation only while no read-back runs: the compare pass looks for an abort here.
void CProgramOperation::CompareBlock()
{
    if (EndIfAborted())
        return;
    const CBlockDifference difference(m_expected, m_readBack.Bytes(), m_job.flashBase + m_nTargetOffset,
                                      m_job.addressingUnit);
    if (difference.NeedsErase()) {
        m_host.Fail(CFailure::Logged(QStringLiteral("Nothing was written: the flash must be erased first.\r\n")
                                         + difference.DifferenceLines() + difference.EraseLine()));
        return;
    }
    m_changed.push_back(!difference.IsEqual());
    m_step = Step::NextBlock;
    m_host.Continue();
}

// The compare pass found nothing that needs an erase: the image is read again and the changed blocks written.
void CProgramOperation::StartWritePass()
{
    m_bWritePass = true;
    m_nBlockIndex = 0;
    m_reader.reset();
    m_file.seek(0);
    OpenReader();
    m_step = Step::NextBlock;
    m_host.Continue();
}

void CProgramOperation::OpenReader()
{
    m_reader = std::make_unique<CHexImageReader>(m_file, m_job.subfamily, m_job.addressingUnit, m_job.reverseByteOrder,
                                                 m_job.imagePath);
}

void CProgramOperation::WriteBlock()
{
    // Without verification the next halt writes the next block.
    Step next = Step::NextBlock;
    if (m_job.verify) {
        m_checksum.Reset(0);
        m_checksum.Add(m_block.data(), m_nBlockLength);
        next = Step::AskChecksum;
    }
    m_nUnanswered = m_nBlockLength;
    ReportProgress();
    SendWrite(m_block.data(), m_nBlockLength, next);
}

void CProgramOperation::ReportProgress()
{
    const qint64 percent = m_nFileLength > 0 ? m_reader->Position() * 100 / m_nFileLength : 0;
    m_host.Report(CProgressEvent::Shown(Kind(), percent, 100, m_tally.written));
}

quint32 CProgramOperation::TargetOffset(quint32 blockAddress) const
{
    switch (m_reader->GetFormat()) {
    case HexCcsData:
    case HexBinary: return m_job.imageOffset + blockAddress;
    case HexTiAscii:
        return m_bAbsoluteTiAddresses ? m_job.imageOffset + blockAddress - m_job.flashBase
                                      : m_job.imageOffset + blockAddress;
    default: return m_job.imageOffset + blockAddress - m_job.flashBase;
    }
}

void CProgramOperation::AskChecksum(Step next)
{
    CommMessage request;
    request.SetCommand(CommandCode::GetChecksum);
    request.SetParam32(0, m_nTargetOffset);
    request.SetParam32(2, quint32(m_nBlockLength));
    m_step = next;
    m_host.SendHeader(request);
}

void CProgramOperation::SendWrite(const quint8 *bytes, int count, Step next)
{
    CommMessage request;
    request.SetCommand(CommandCode::WriteFlash);
    request.SetParam32(0, m_nTargetOffset);
    request.SetParam(2, quint32(count));
    request.SetData(bytes, count, m_host.Facts().maxDataBytes);
    m_expected = QByteArray(reinterpret_cast<const char *>(bytes), count);
    m_step = next;
    m_host.SendMessage(request);
}

bool CProgramOperation::ChecksumMatches()
{
    CommMessage answer;
    if (!m_host.ReceiveHeader(answer))
        return false;
    if (answer.Param(0) == m_checksum.Value())
        return true;
    m_strMismatch = QString::asprintf(
        "Checksum Error: host checksum = %x, flash checksum = %x, address = %x, bytes = %x\r\n",
        unsigned(m_checksum.Value()), unsigned(answer.Param(0)), m_nTargetOffset, unsigned(m_nBlockLength));
    ReadBack(m_expected, Step::DescribeMismatch);
    return false;
}

// The checksum error, then where the block read back differs.
void CProgramOperation::DescribeMismatch()
{
    const CBlockDifference difference(m_expected, m_readBack.Bytes(), m_job.flashBase + m_nTargetOffset,
                                      m_job.addressingUnit);
    QString text = m_strMismatch + difference.DifferenceLines();
    if (difference.OnlyErasable())
        text += difference.EraseLine();
    m_host.Fail(CFailure::Logged(text));
}

void CProgramOperation::EndOfImage()
{
    if (!m_job.writeBootAddress || m_job.subfamily != kSubfamily54x) {
        Finish();
        return;
    }
    const quint8 bootBytes[2] = {quint8(m_job.flashBase >> 8), quint8(m_job.flashBase)};
    m_nBlockLength = 2;
    m_checksum.Reset(0);
    m_checksum.Add(bootBytes, 2);
    m_nTargetOffset = kBootAddress - m_job.flashBase;
    SendWrite(bootBytes, 2, Step::AskBootChecksum);
}

void CProgramOperation::AskBootChecksum()
{
    if (!m_job.verify) {
        Finish();
        return;
    }
    AskChecksum(Step::CompareBootChecksum);
}

void CProgramOperation::Finish()
{
    const quint32 elapsed = CTickClock::Elapsed(m_nStartTick, m_host.Now());
    const QString counts = m_job.changedOnly
        ? QString::asprintf("Written: %lld bytes, skipped: %lld unchanged bytes.\r\n", m_tally.written, m_tally.skipped)
        : QString();
    const QString done = QString::asprintf("Corvane of %d bytes is complete.\r\n", int(m_tally.written)) + counts
        + QString::asprintf("Time: %d mSec.\r\n", int(elapsed));
    m_host.Report(CProgressEvent::Status(Kind(), done));
    m_host.Record(done);
    m_host.Succeed();
}

void CProgramOperation::Release()
{
    m_reader.reset();
    m_file.close();
}

CFailure CProgramOperation::ImageFailure(const QString &text) const
{
    const CFailure failure = CFailure::Logged(text);
    const QString error = m_reader->ErrorReport(m_job.imagePath);
    return error.isEmpty() ? failure : failure.CausedBy(CFailure::Message(error, CFailure::Then::RunGoesOn));
}

// A block whose checksum differed and could not be read back still names its checksum error.
CFailure CProgramOperation::ChildFailure(const CFailure &failure) const
{
    if (m_step != Step::DescribeMismatch)
        return failure;
    return CFailure::Logged(m_strMismatch).CausedBy(failure);
}
