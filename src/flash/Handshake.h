#pragma once

#include <QString>
#include <QtGlobal>

class CFormModel;
class CommMessage;

// The handshake after every download of the target component: protocol ID,
// buffer size, version, flash base and size, with the document's values
// reconciled against the hardware's.
class CHandshake {
public:
    explicit CHandshake(CFormModel &form);

    void Start();
    void Step();

private:
    void ReadProtocolId();
    void ReadMaxBufferSize();
    void ReadVersionId();
    void ReadFlashBase();
    void ReadFlashSize();
    void SendNext(int subState, int command);
    // Answer of the expected command, or a failure with `message` (which may hold "%x").
    bool ReceiveAnswer(CommMessage &answer, int command, const char *message);
    void Reconcile(int fieldId, quint32 targetValue, const char *question);

    CFormModel &m_form;
};
