#pragma once

#include "FlashOperation.h"
#include "FlashPieces.h"

#include <QByteArray>

#include <memory>

class CReplacingFile;

// Dumps a flash range to "FlashData.txt" as lines of sixteen hexadecimal bytes,
// read in pieces of up to kPieceBytes. The file replaces the name when the
// whole range is written (CReplacingFile), never through a link there.
class CSaveFlashDataOperation : public CFlashOperation {
public:
    enum class Step { ReadPiece, WritePiece, Close };
    static constexpr int kPieceBytes = 256;
    static constexpr const char *kFileName = "FlashData.txt";

    CSaveFlashDataOperation(COperationHost &host);
    ~CSaveFlashDataOperation() override;

    // `start` in target address units, `length` in bytes.
    void SetRange(quint32 start, quint32 length);
    // Bytes of the range that the target sent.
    quint32 BytesRead() const { return m_nRead; }
    FlashOperationKind Kind() const override { return FlashOperationKind::SaveFlashData; }
    void Start() override;
    void OnHalt() override;
    void Release() override;

private:
    void ReadPiece();
    void WritePiece();
    // Writes the first `count` bytes read as lines; false after a failure.
    bool WriteLines(qsizetype count);
    void Close();
    // Fails with `text` and a line naming the file and the system's reason.
    void FailOnFile(const QString &text);
    void Fail(const QString &text);

    Step m_step = Step::ReadPiece;
    std::unique_ptr<CReplacingFile> m_file;
    quint32 m_nStart = 0;
    quint32 m_nLength = 0;
    quint32 m_nTotal = 0;        // bytes: the length made even
    quint32 m_nRead = 0;         // bytes the target sent
    CFlashPieces m_pieces;
    QByteArray m_pending;        // bytes read and not yet written as a whole line
    quint32 m_nLineOffset = 0;   // target address units of the next line
};
