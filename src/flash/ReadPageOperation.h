#pragma once

#include "FlashOperation.h"
#include "FlashPieces.h"

#include <QByteArray>

// Reads one page of flash bytes at a flash offset, in as many requests as the
// message buffer needs.
class CReadPageOperation : public CFlashOperation {
public:
    using CFlashOperation::CFlashOperation;

    // `start` in target address units.
    void SetPage(quint32 start, int bytes);
    const QByteArray &Bytes() const { return m_bytes; }
    FlashOperationKind Kind() const override { return FlashOperationKind::ReadPage; }
    void Start() override;
    void OnHalt() override;

private:
    void RequestPiece();

    quint32 m_nStart = 0;
    int m_nBytes = 0;
    CFlashPieces m_pieces;
    QByteArray m_bytes;
};
