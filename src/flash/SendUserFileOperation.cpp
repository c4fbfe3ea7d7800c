#include "SendUserFileOperation.h"

#include "form/FormModel.h"
#include "app/CorvaneApp.h"
#include "base/MessageLog.h"
#include "base/StatusText.h"
#include "base/TickClock.h"
#include "wire/CommMessage.h"
#include "config/ControlIds.h"

CSendUserFileOperation::CSendUserFileOperation(CFormModel &form)
    : m_form(form)
{
}

void CSendUserFileOperation::Step()
{
    switch (m_form.State().SubState()) {
    case Step::SendFirstChunk: OpenAndSendFirst(); break;
    case Step::SendNextChunk: SendNextOrFinish(); break;
    default:
        m_form.Controls().SetVisible(ControlId::ProgressBar, false);
        theLog.Add(QStringLiteral("Unknown ProcSubState: Send File.\r\n"));
        theStatusText().SetStatusText(QString());
        CloseFile();
        m_form.State().SetIdle();
        break;
    }
}

void CSendUserFileOperation::OpenAndSendFirst()
{
    m_file.setFileName(m_strPath);
    if (!m_file.open(QIODevice::ReadOnly)) {
        m_form.FailOperation(QStringLiteral("Cannot Open User File for Sending.\r\n"));
        return;
    }
    m_chunk.assign(m_form.MaxBytes(), 0);
    m_nFileLength = m_file.size();
    m_nBytesSent = 0;
    m_form.SetProgressBytes(0);
    const qint64 count = ReadChunk();
    if (count < 0)
        return;
    if (count == 0) {
        CloseFile();
        ReturnToCaller();
        return;
    }
    CFormControls &controls = m_form.Controls();
    controls.SetProgressRange(0, 100);
    controls.SetProgressPosition(0);
    controls.SetVisible(ControlId::ProgressBar, true);
    theStatusText().SetStatusText(QStringLiteral("Sending User File."));
    m_nStartTick = theTickClock().Now();
    m_form.State().SetSubState(Step::SendNextChunk);
    SendChunk(count);
}

void CSendUserFileOperation::SendNextOrFinish()
{
    const qint64 count = ReadChunk();
    if (count < 0)
        return;
    if (count == 0) {
        Finish();
        return;
    }
    SendChunk(count);
    if (m_nFileLength > 0)
        m_form.Controls().SetProgressPosition(int(m_file.pos() * 100 / m_nFileLength));
}

qint64 CSendUserFileOperation::ReadChunk()
{
    const qint64 count = m_file.read(reinterpret_cast<char *>(m_chunk.data()), qint64(m_chunk.size()));
    if (count < 0) {
        CloseFile();
        m_form.Controls().SetVisible(ControlId::ProgressBar, false);
        m_form.FailOperation(QStringLiteral("Cannot read User File.\r\n"));
    }
    return count;
}

void CSendUserFileOperation::SendChunk(qint64 count)
{
    CommMessage request;
    request.SetCommand(CommandCode::SendUserData);
    request.SetParam(0, quint32(count));
    request.SetData(m_chunk.data(), count);
    m_nBytesSent += count;
    m_form.SetProgressBytes(m_nBytesSent);
    m_form.SendMessage(request);
}

void CSendUserFileOperation::Finish()
{
    m_form.Controls().SetVisible(ControlId::ProgressBar, false);
    const quint32 elapsed = CTickClock::Elapsed(m_nStartTick, theTickClock().Now());
    const QString done = QString::asprintf("Sent User File: %d mSec\r\n", int(elapsed));
    theLog.Add(done);
    theStatusText().SetStatusText(done);
    CloseFile();
    ReturnToCaller();
}

void CSendUserFileOperation::ReturnToCaller()
{
    m_form.State().SetIdle();
    // The command-line sequence waits for this operation to hand back, also after an empty file.
    if (!theApp().IsInteractive()) {
        m_form.State().Pop();
        m_form.SelfNotify();
    }
}

void CSendUserFileOperation::CloseFile()
{
    m_file.close();
}
