#pragma once

#include <QFile>
#include <QString>

#include <vector>

class CFormModel;

// Hands the bytes of any file to the target component, chunk by chunk.
class CSendUserFileOperation {
public:
    explicit CSendUserFileOperation(CFormModel &form);

    void SetPath(const QString &path) { m_strPath = path; }
    void Step();

private:
    void OpenAndSendFirst();
    void SendNextOrFinish();
    // Reads the next chunk; -1 on a read error.
    qint64 ReadChunk();
    void SendChunk(qint64 count);
    void Finish();
    void ReturnToCaller();
    void CloseFile();

    CFormModel &m_form;
    QString m_strPath;
    QFile m_file;
    qint64 m_nFileLength = 0;
    std::vector<quint8> m_chunk;
    quint32 m_nStartTick = 0;
    qint64 m_nBytesSent = 0;
};
