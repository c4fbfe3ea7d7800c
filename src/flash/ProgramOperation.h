#pragma once

#include "FlashOperation.h"
#include "ProgramJob.h"
#include "ReadPageOperation.h"
#include "wire/CommChecksum.h"

#include <QFile>

#include <memory>
#include <vector>

class CHexImageReader;

// Programs one image file into the flash block by block, checks every block's
// bounds, verifies it by checksum when asked, and writes the boot address of
// 54x targets at the end. A block whose checksum differs is read back to say
// where and how it differs. With "changed blocks only" a first pass reads
// every block's flash range back and compares it byte for byte, failing
// before anything is written when a block needs an erase; the second pass
// writes only the blocks that differ.
class CProgramOperation : public CFlashOperation {
public:
    enum class Step { SendBase, SendSize, OpenImage, NextBlock, CompareBlock, AskChecksum, CompareChecksum,
                      DescribeMismatch, EndOfImage, AskBootChecksum, CompareBootChecksum };

    // What the last run did, in bytes.
    struct Tally {
        qint64 written = 0;   // in writes the target answered
        qint64 skipped = 0;   // equal to the flash already ("changed blocks only")
        qint64 verified = 0;  // found equal after writing (checksum), or compared equal and skipped
    };

    explicit CProgramOperation(COperationHost &host);
    ~CProgramOperation() override;

    void SetJob(const CProgramJob &job) { m_job = job; }
    const CProgramJob &Job() const { return m_job; }
    const Tally &Done() const { return m_tally; }
    FlashOperationKind Kind() const override { return FlashOperationKind::Program; }
    Step CurrentStep() const { return m_step; }
    void Start() override;
    void OnHalt() override;
    // An abort ends the operation here.
    void OnTick() override;
    // The block's flash range was read back.
    void OnChildSucceeded() override;
    CFailure ChildFailure(const CFailure &failure) const override;
    void Release() override;

private:
    void SendFlashBase();
    void SendFlashSize();
    void OpenImage();
    void NextBlock();
    // Reads the image's next block and checks its bounds; false at the end of the image or after a failure.
    bool ReadBlock();
    // Reads the flash range of the current block back; `expected` is what it should hold.
    void ReadBack(const QByteArray &expected, Step next);
    void CompareBlock();
    // Ends the operation when the user asked to abort.
    bool EndIfAborted();
    void WriteBlock();
    void ReportProgress();
    void StartWritePass();
    // Reads the image from the file's current position.
    void OpenReader();
    void DescribeMismatch();
    void AskChecksum(Step next);
    void SendWrite(const quint8 *bytes, int count, Step next);
    // The target's checksum of the block just written equals the host's; otherwise the block is read back.
    bool ChecksumMatches();
    void EndOfImage();
    void AskBootChecksum();
    void Finish();
    // `text`, reported after the image reader's own error (with its file and line) when it gave one.
    CFailure ImageFailure(const QString &text) const;
    quint32 TargetOffset(quint32 blockAddress) const;
    bool IsComparePass() const { return m_job.changedOnly && !m_bWritePass; }

    CProgramJob m_job;
    Step m_step = Step::SendBase;
    QFile m_file;
    qint64 m_nFileLength = 0;
    std::unique_ptr<CHexImageReader> m_reader;
    std::vector<quint8> m_block;
    quint32 m_nTargetOffset = 0;
    quint32 m_nStartTick = 0;
    bool m_bAbsoluteTiAddresses = false;
    qint32 m_nBlockLength = 0;
    CommChecksum m_checksum;
    QString m_strMismatch;              // the checksum error of the block being read back
    QByteArray m_expected;              // the bytes the current block's flash range should hold
    CReadPageOperation m_readBack;
    bool m_bWritePass = false;
    std::vector<bool> m_changed;        // per block of the compare pass: it differs from the flash
    size_t m_nBlockIndex = 0;
    Tally m_tally;
    qint64 m_nUnanswered = 0;           // bytes of the write sent last, until the target answers it
};
