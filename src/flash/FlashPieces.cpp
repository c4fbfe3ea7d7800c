#include "FlashPieces.h"

#include "wire/CommMessage.h"

void CFlashPieces::Begin(quint32 start, quint32 bytes, int addressingUnit)
{
    m_nOffset = start;
    m_nRemaining = bytes;
    m_nAddressingUnit = addressingUnit;
    m_nPieceBytes = 0;
}

CommMessage CFlashPieces::NextRequest(int maxDataBytes, int limit)
{
    const int pieceLimit = maxDataBytes > 0 ? qMin(limit, maxDataBytes) : limit;
    m_nPieceBytes = int(qMin<quint32>(m_nRemaining, quint32(pieceLimit)));
    CommMessage request;
    request.SetCommand(CommandCode::ReadFlash);
    request.SetParam32(0, m_nOffset);
    request.SetParam(2, quint32(m_nPieceBytes));
    m_nOffset += quint32(m_nPieceBytes / m_nAddressingUnit);
    m_nRemaining -= quint32(m_nPieceBytes);
    return request;
}

QByteArray CFlashPieces::Piece(const CommMessage &answer) const
{
    return QByteArray(reinterpret_cast<const char *>(answer.Data()), m_nPieceBytes);
}
