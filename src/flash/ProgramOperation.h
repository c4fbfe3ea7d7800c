#pragma once

#include "wire/CommChecksum.h"

#include <QFile>

#include <memory>
#include <vector>

class CFormModel;
class CHexImageReader;

// Programs one image file into the flash block by block, checks every block's
// bounds, verifies it by checksum when asked, and writes the boot address of
// 54x targets at the end.
class CProgramOperation {
public:
    explicit CProgramOperation(CFormModel &form);
    ~CProgramOperation();

    void Start();
    void Step();
    // One tick of the abort timer; runs the clean-up when cancelled and then returns true.
    bool OnTick();

private:
    void SendFlashBase();
    void SendFlashSize();
    void OpenImage();
    void WriteNextBlock();
    void AskChecksum(int nextSubState);
    void SendWrite(const quint8 *bytes, int count, int nextSubState);
    void CompareChecksum(int nextSubState);
    void EndOfImage();
    void AskBootChecksum();
    void Finish();
    void CleanUp();
    void CloseImage();
    void StopWithFailure(const QString &text);
    quint32 TargetOffset(quint32 blockAddress) const;

    CFormModel &m_form;
    QFile m_file;
    qint64 m_nFileLength = 0;
    std::unique_ptr<CHexImageReader> m_reader;
    std::vector<quint8> m_block;
    quint32 m_nFlashBaseSent = 0;
    quint32 m_nImageOffset = 0;
    quint32 m_nTargetOffset = 0;
    quint32 m_nStartTick = 0;
    bool m_bAbsoluteTiAddresses = false;
    qint32 m_nBytesDone = 0;
    qint32 m_nBlockLength = 0;
    CommChecksum m_checksum;
};
