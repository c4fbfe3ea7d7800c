#include "SendUserFileOperation.h"

#include "OperationHost.h"
#include "base/FileName.h"
#include "base/InputFile.h"
#include "base/TickClock.h"
#include "wire/CommMessage.h"

#include <utility>

CSendUserFileOperation::CSendUserFileOperation(COperationHost &host)
    : CFlashOperation(host)
{
}

void CSendUserFileOperation::Start()
{
    m_step = Step::SendFirstChunk;
    OnHalt();
}

void CSendUserFileOperation::OnHalt()
{
    switch (m_step) {
    case Step::SendFirstChunk: OpenAndSendFirst(); break;
    case Step::SendNextChunk: SendNextOrFinish(); break;
    }
}

void CSendUserFileOperation::OpenAndSendFirst()
{
    if (const QString reason = CInputFile::Open(m_file, m_strPath); !reason.isEmpty()) {
        m_host.Fail(CFailure::Logged(QStringLiteral("Cannot Open User File for Sending.\r\n")
                                     + CFileName::ReasonLine(m_strPath, reason)));
        return;
    }
    m_chunk.assign(m_host.Facts().maxDataBytes, 0);
    m_nFileLength = m_file.size();
    m_nBytesSent = 0;
    m_nUnanswered = 0;
    const qint64 count = ReadChunk();
    if (count < 0)
        return;
    if (count == 0) {
        m_host.Succeed();
        return;
    }
    m_host.Report(CProgressEvent::Shown(Kind(), 0, 100, 0));
    m_host.Report(CProgressEvent::Status(Kind(), QStringLiteral("Sending User File.")));
    m_nStartTick = m_host.Now();
    m_step = Step::SendNextChunk;
    SendChunk(count);
}

void CSendUserFileOperation::SendNextOrFinish()
{
    m_nBytesSent += std::exchange(m_nUnanswered, 0);
    const qint64 count = ReadChunk();
    if (count < 0)
        return;
    if (count == 0) {
        Finish();
        return;
    }
    if (SendChunk(count) && m_nFileLength > 0)
        m_host.Report(CProgressEvent::Shown(Kind(), m_file.pos() * 100 / m_nFileLength, 100, m_nBytesSent));
}

qint64 CSendUserFileOperation::ReadChunk()
{
    const qint64 count = m_file.read(reinterpret_cast<char *>(m_chunk.data()), qint64(m_chunk.size()));
    if (count < 0) {
        m_host.Fail(CFailure::Logged(QStringLiteral("Cannot read User File.\r\n")
                                     + CFileName::ReasonLine(m_strPath, m_file.errorString())));
    }
    return count;
}

bool CSendUserFileOperation::SendChunk(qint64 count)
{
    CommMessage request;
    request.SetCommand(CommandCode::SendUserData);
    request.SetParam(0, quint32(count));
    request.SetData(m_chunk.data(), count, m_host.Facts().maxDataBytes);
    m_nUnanswered = count;
    return m_host.SendMessage(request);
}

void CSendUserFileOperation::Finish()
{
    const quint32 elapsed = CTickClock::Elapsed(m_nStartTick, m_host.Now());
    const QString done = QString::asprintf("Sent User File: %d mSec\r\n", int(elapsed));
    m_host.Record(done);
    m_host.Report(CProgressEvent::Status(Kind(), done));
    m_host.Succeed();
}

void CSendUserFileOperation::Release()
{
    m_file.close();
}
