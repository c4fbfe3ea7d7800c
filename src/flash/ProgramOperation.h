#pragma once

#include "FlashOperation.h"
#include "ProgramJob.h"
#include "wire/CommChecksum.h"

#include <QFile>

#include <memory>
#include <vector>

struct CFailure;
class CHexImageReader;

// Programs one image file into the flash block by block, checks every block's
// bounds, verifies it by checksum when asked, and writes the boot address of
// 54x targets at the end.
class CProgramOperation : public CFlashOperation {
public:
    enum class Step { SendBase, SendSize, OpenImage, NextBlock, AskChecksum, CompareChecksum, EndOfImage,
                      AskBootChecksum, CompareBootChecksum };

    explicit CProgramOperation(COperationHost &host);
    ~CProgramOperation() override;

    void SetJob(const CProgramJob &job) { m_job = job; }
    FlashOperationKind Kind() const override { return FlashOperationKind::Program; }
    Step CurrentStep() const { return m_step; }
    void Start() override;
    void OnHalt() override;
    // An abort ends the operation here.
    void OnTick() override;

private:
    void SendFlashBase();
    void SendFlashSize();
    void OpenImage();
    void WriteNextBlock();
    void AskChecksum(Step next);
    void SendWrite(const quint8 *bytes, int count, Step next);
    // The target's checksum of the block just written equals the host's; otherwise the operation fails.
    bool ChecksumMatches();
    void EndOfImage();
    void AskBootChecksum();
    void Finish();
    void CleanUp();
    void StopWithFailure(const CFailure &failure);
    quint32 TargetOffset(quint32 blockAddress) const;

    CProgramJob m_job;
    Step m_step = Step::SendBase;
    QFile m_file;
    qint64 m_nFileLength = 0;
    std::unique_ptr<CHexImageReader> m_reader;
    std::vector<quint8> m_block;
    quint32 m_nTargetOffset = 0;
    quint32 m_nStartTick = 0;
    bool m_bAbsoluteTiAddresses = false;
    qint32 m_nBytesDone = 0;
    qint32 m_nBlockLength = 0;
    CommChecksum m_checksum;
};
