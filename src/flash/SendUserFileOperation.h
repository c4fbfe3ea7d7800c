#pragma once

#include "FlashOperation.h"

#include <QFile>
#include <QString>

#include <vector>

// Hands the bytes of any file to the target component, chunk by chunk.
class CSendUserFileOperation : public CFlashOperation {
public:
    enum class Step { SendFirstChunk, SendNextChunk };

    explicit CSendUserFileOperation(COperationHost &host);

    void SetPath(const QString &path) { m_strPath = path; }
    const QString &Path() const { return m_strPath; }
    // Bytes of the chunks the target answered.
    qint64 BytesSent() const { return m_nBytesSent; }
    FlashOperationKind Kind() const override { return FlashOperationKind::SendUserFile; }
    void Start() override;
    void OnHalt() override;
    void Release() override;

private:
    void OpenAndSendFirst();
    void SendNextOrFinish();
    // Reads the next chunk; -1 after a read error has ended the operation.
    qint64 ReadChunk();
    bool SendChunk(qint64 count);
    void Finish();

    QString m_strPath;
    Step m_step = Step::SendFirstChunk;
    QFile m_file;
    qint64 m_nFileLength = 0;
    std::vector<quint8> m_chunk;
    quint32 m_nStartTick = 0;
    qint64 m_nBytesSent = 0;
    qint64 m_nUnanswered = 0;  // bytes of the chunk sent last, until the target answers it
};
