#include "SaveFlashDataOperation.h"

#include "form/FormModel.h"
#include "base/StatusText.h"
#include "wire/CommMessage.h"
#include "config/ControlIds.h"
#include "debugger/TargetLink.h"

#include <cstdio>

namespace {
constexpr int kBytesPerLine = 16;
} // namespace

CSaveFlashDataOperation::CSaveFlashDataOperation(CFormModel &form)
    : m_form(form)
{
}

void CSaveFlashDataOperation::Start(quint32 start, quint32 length)
{
    if (m_form.Link().AddressingUnit() == 1)
        start &= ~quint32(1);
    length += length & 1;
    m_nCurrentOffset = start;
    m_nBytesRemaining = length;
    m_nBytesTotal = length;
    m_form.SetProgressBytes(0);
    m_form.State().Push();
    m_file.setFileName(QString::fromLatin1(kFileName));
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_form.State().Set(Op::SaveFlashData, Step::SaveClose);
        Fail(QStringLiteral("Cannot create FlashData.txt.\r\n"));
        return;
    }
    theStatusText().SetStatusText(QStringLiteral("Saving Flash Data"));
    m_form.Controls().SetProgressRange(0, 100);
    m_form.Controls().SetProgressPosition(0);
    m_form.Controls().SetVisible(ControlId::ProgressBar, true);
    m_form.State().Set(Op::SaveFlashData, Step::SaveReadPiece);
    m_form.SelfNotify();
}

void CSaveFlashDataOperation::Step()
{
    switch (m_form.State().SubState()) {
    case Step::SaveReadPiece: ReadPiece(); break;
    case Step::SaveWritePiece: WritePiece(); break;
    default: Close(); break;
    }
}

void CSaveFlashDataOperation::ReadPiece()
{
    if (m_nBytesRemaining == 0) {
        m_form.State().SetSubState(Step::SaveClose);
        m_form.SelfNotify();
        return;
    }
    m_nPieceLength = qint32(qMin<quint32>(m_nBytesRemaining, kPieceBytes));
    m_nBytesRemaining -= quint32(m_nPieceLength);
    CommMessage request;
    request.SetCommand(CommandCode::ReadFlash);
    request.SetParam32(0, m_nCurrentOffset);
    request.SetParam(2, quint32(m_nPieceLength));
    m_form.State().SetSubState(Step::SaveWritePiece);
    m_form.SendHeader(request);
}

void CSaveFlashDataOperation::WritePiece()
{
    CommMessage answer;
    m_form.ReceiveMessage(answer);
    if (!answer.IsAnswerTo(CommandCode::ReadFlash)) {
        Fail(QString::asprintf("Cannot deal with unexpected response: %x\r\n", unsigned(answer.Command())));
        return;
    }
    const quint32 unitsPerLine = quint32(kBytesPerLine / m_form.Link().AddressingUnit());
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
    const qint64 done = qint64(m_nBytesTotal) - m_nBytesRemaining;
    m_form.SetProgressBytes(done);
    m_form.Controls().SetProgressPosition(int(done * 100 / m_nBytesTotal));
    m_form.State().SetSubState(Step::SaveReadPiece);
    m_form.SelfNotify();
}

void CSaveFlashDataOperation::Close()
{
    if (m_file.isOpen() && !m_file.flush()) {
        Fail(QStringLiteral("Cannot write FlashData.txt.\r\n"));
        return;
    }
    m_file.close();
    m_form.Controls().SetVisible(ControlId::ProgressBar, false);
    m_form.State().Pop();
    m_form.SelfNotify();
}

void CSaveFlashDataOperation::Fail(const QString &text)
{
    m_file.close();
    m_form.Controls().SetVisible(ControlId::ProgressBar, false);
    m_form.FailOperation(text);
}
