#pragma once

#include <QFile>

class CFormModel;

// Dumps a flash range to "FlashData.txt" as lines of sixteen hexadecimal bytes.
class CSaveFlashDataOperation {
public:
    static constexpr int kPieceBytes = 256;
    static constexpr const char *kFileName = "FlashData.txt";

    explicit CSaveFlashDataOperation(CFormModel &form);

    // `start` in target address units, `length` in bytes.
    void Start(quint32 start, quint32 length);
    void Step();

private:
    void ReadPiece();
    void WritePiece();
    void Close();
    void Fail(const QString &text);

    CFormModel &m_form;
    QFile m_file;
    quint32 m_nCurrentOffset = 0;
    quint32 m_nBytesRemaining = 0;
    quint32 m_nBytesTotal = 0;
    qint32 m_nPieceLength = 0;
};
