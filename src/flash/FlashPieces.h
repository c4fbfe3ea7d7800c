#pragma once

#include <QByteArray>
#include <QtGlobal>

class CommMessage;

// A flash range read with ReadFlash requests, piece by piece, each piece no
// larger than the data one message carries, so that every byte read is one
// the target component sent.
class CFlashPieces {
public:
    // `start` in target address units, `bytes` in bytes, on a target of
    // `addressingUnit` bytes per address unit.
    void Begin(quint32 start, quint32 bytes, int addressingUnit);
    quint32 Remaining() const { return m_nRemaining; }
    // The request for the next piece of at most `limit` bytes and of no more
    // than `maxDataBytes` (when known); the range moves past that piece.
    CommMessage NextRequest(int maxDataBytes, int limit);
    // The bytes of the last requested piece, from its answer.
    QByteArray Piece(const CommMessage &answer) const;

private:
    quint32 m_nOffset = 0;
    quint32 m_nRemaining = 0;
    int m_nAddressingUnit = 1;
    int m_nPieceBytes = 0;
};
