#pragma once

#include "FlashOperation.h"

#include <QFile>

// Dumps a flash range to "FlashData.txt" as lines of sixteen hexadecimal bytes.
class CSaveFlashDataOperation : public CFlashOperation {
public:
    enum class Step { ReadPiece, WritePiece, Close };
    static constexpr int kPieceBytes = 256;
    static constexpr const char *kFileName = "FlashData.txt";

    CSaveFlashDataOperation(COperationHost &host);

    // `start` in target address units, `length` in bytes.
    void SetRange(quint32 start, quint32 length);
    FlashOperationKind Kind() const override { return FlashOperationKind::SaveFlashData; }
    void Start() override;
    void OnHalt() override;

private:
    void ReadPiece();
    void WritePiece();
    void Close();
    void Fail(const QString &text);

    Step m_step = Step::ReadPiece;
    QFile m_file;
    quint32 m_nStart = 0;
    quint32 m_nLength = 0;
    quint32 m_nCurrentOffset = 0;
    quint32 m_nBytesRemaining = 0;
    qint32 m_nPieceLength = 0;
};
