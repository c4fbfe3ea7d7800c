#include "SaveFlashDataOperation.h"

#include "OperationHost.h"
#include "base/FileName.h"
#include "base/ReplacingFile.h"
#include "debugger/TargetLink.h"
#include "wire/CommMessage.h"

#include <cstdio>

namespace {
constexpr int kBytesPerLine = 16;
} // namespace

CSaveFlashDataOperation::CSaveFlashDataOperation(COperationHost &host)
    : CFlashOperation(host)
{
}

CSaveFlashDataOperation::~CSaveFlashDataOperation() = default;

void CSaveFlashDataOperation::SetRange(quint32 start, quint32 length)
{
    m_nStart = start;
    m_nLength = length;
}

void CSaveFlashDataOperation::Start()
{
    const int unit = m_host.Link().AddressingUnit();
    const quint32 start = unit == 1 ? m_nStart & ~quint32(1) : m_nStart;
    m_nTotal = m_nLength + (m_nLength & 1);
    m_pieces.Begin(start, m_nTotal, unit);
    m_nLineOffset = start;
    m_nRead = 0;
    m_pending.clear();
    m_file = std::make_unique<CReplacingFile>(QString::fromLatin1(kFileName));
    if (!m_file->Open()) {
        FailOnFile(QStringLiteral("Cannot create FlashData.txt.\r\n"));
        return;
    }
    m_host.Report(CProgressEvent::Status(Kind(), QStringLiteral("Saving Flash Data")));
    m_host.Report(CProgressEvent::Shown(Kind(), 0, 100, 0));
    m_step = Step::ReadPiece;
    m_host.Continue();
}

void CSaveFlashDataOperation::OnHalt()
{
    switch (m_step) {
    case Step::ReadPiece: ReadPiece(); break;
    case Step::WritePiece: WritePiece(); break;
    case Step::Close: Close(); break;
    }
}

void CSaveFlashDataOperation::ReadPiece()
{
    if (m_pieces.Remaining() == 0) {
        m_step = Step::Close;
        m_host.Continue();
        return;
    }
    m_step = Step::WritePiece;
    m_host.SendHeader(m_pieces.NextRequest(m_host.Facts().maxDataBytes, kPieceBytes));
}

void CSaveFlashDataOperation::WritePiece()
{
    CommMessage answer;
    if (!m_host.ReceiveMessage(answer))
        return;
    if (!answer.IsAnswerTo(CommandCode::ReadFlash)) {
        Fail(UnexpectedResponseText(answer.Command()));
        return;
    }
    const QByteArray piece = m_pieces.Piece(answer);
    m_nRead += quint32(piece.size());
    m_pending += piece;
    if (!WriteLines(m_pending.size() - m_pending.size() % kBytesPerLine))
        return;
    const qint64 done = qint64(m_nTotal) - m_pieces.Remaining();
    m_host.Report(CProgressEvent::Shown(Kind(), done * 100 / m_nTotal, 100, done));
    m_step = Step::ReadPiece;
    m_host.Continue();
}

// Lines of sixteen bytes, the last one shorter when `count` ends inside it.
bool CSaveFlashDataOperation::WriteLines(qsizetype count)
{
    const quint32 unitsPerLine = quint32(kBytesPerLine / m_host.Link().AddressingUnit());
    QByteArray text;
    char field[16];
    for (qsizetype row = 0; row < count; row += kBytesPerLine) {
        text.append(field, std::snprintf(field, sizeof field, "%08X: ", m_nLineOffset));
        for (qsizetype i = row; i < qMin(row + kBytesPerLine, count); ++i)
            text.append(field, std::snprintf(field, sizeof field, "%02X ", unsigned(quint8(m_pending[i]))));
        text += "\r\n";
        m_nLineOffset += unitsPerLine;
    }
    m_pending.remove(0, count);
    if (m_file->Write(text))
        return true;
    FailOnFile(QStringLiteral("Cannot write FlashData.txt.\r\n"));
    return false;
}

void CSaveFlashDataOperation::Close()
{
    if (!WriteLines(m_pending.size()))
        return;
    if (!m_file->Commit()) {
        FailOnFile(QStringLiteral("Cannot write FlashData.txt.\r\n"));
        return;
    }
    m_host.Succeed();
}

// An uncommitted file is discarded: the name keeps what it held.
void CSaveFlashDataOperation::Release()
{
    m_file.reset();
}

void CSaveFlashDataOperation::FailOnFile(const QString &text)
{
    Fail(text + CFileName::ReasonLine(QString::fromLatin1(kFileName), m_file->ErrorString()));
}

void CSaveFlashDataOperation::Fail(const QString &text)
{
    m_host.Fail(CFailure::Logged(text));
}
