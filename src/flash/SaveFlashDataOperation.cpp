#include "SaveFlashDataOperation.h"

#include "OperationHost.h"
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

void CSaveFlashDataOperation::SetRange(quint32 start, quint32 length)
{
    m_nStart = start;
    m_nLength = length;
}

void CSaveFlashDataOperation::Start()
{
    m_nCurrentOffset = m_host.Link().AddressingUnit() == 1 ? m_nStart & ~quint32(1) : m_nStart;
    m_nBytesRemaining = m_nLength + (m_nLength & 1);
    m_file.setFileName(QString::fromLatin1(kFileName));
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        Fail(QStringLiteral("Cannot create FlashData.txt.\r\n"));
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
    if (m_nBytesRemaining == 0) {
        m_step = Step::Close;
        m_host.Continue();
        return;
    }
    m_nPieceLength = qint32(qMin<quint32>(m_nBytesRemaining, kPieceBytes));
    m_nBytesRemaining -= quint32(m_nPieceLength);
    CommMessage request;
    request.SetCommand(CommandCode::ReadFlash);
    request.SetParam32(0, m_nCurrentOffset);
    request.SetParam(2, quint32(m_nPieceLength));
    m_step = Step::WritePiece;
    m_host.SendHeader(request);
}

void CSaveFlashDataOperation::WritePiece()
{
    CommMessage answer;
    if (!m_host.ReceiveMessage(answer))
        return;
    if (!answer.IsAnswerTo(CommandCode::ReadFlash)) {
        Fail(QString::asprintf("Cannot deal with unexpected response: %x\r\n", unsigned(answer.Command())));
        return;
    }
    const quint32 unitsPerLine = quint32(kBytesPerLine / m_host.Link().AddressingUnit());
    QByteArray text;
    char field[16];
    for (int row = 0; row < m_nPieceLength; row += kBytesPerLine) {
        text.append(field, std::snprintf(field, sizeof field, "%08X: ", m_nCurrentOffset));
        for (int i = row; i < qMin(row + kBytesPerLine, m_nPieceLength); ++i)
            text.append(field, std::snprintf(field, sizeof field, "%02X ", unsigned(answer.DataByte(i))));
        text += "\r\n";
        m_nCurrentOffset += unitsPerLine;
    }
    if (m_file.write(text) != text.size()) {
        Fail(QStringLiteral("Cannot write FlashData.txt.\r\n"));
        return;
    }
    const quint32 total = m_nLength + (m_nLength & 1);
    const qint64 done = qint64(total) - m_nBytesRemaining;
    m_host.Report(CProgressEvent::Shown(Kind(), done * 100 / total, 100, done));
    m_step = Step::ReadPiece;
    m_host.Continue();
}

void CSaveFlashDataOperation::Close()
{
    if (m_file.isOpen() && !m_file.flush()) {
        Fail(QStringLiteral("Cannot write FlashData.txt.\r\n"));
        return;
    }
    m_file.close();
    m_host.Report(CProgressEvent::Hidden(Kind()));
    m_host.Succeed();
}

void CSaveFlashDataOperation::Fail(const QString &text)
{
    m_file.close();
    m_host.Report(CProgressEvent::Hidden(Kind()));
    m_host.Fail(CFailure::Logged(text));
}
