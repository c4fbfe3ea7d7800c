#pragma once

#include "FlashOperation.h"

#include "wire/CommandCode.h"

class CommMessage;

// The handshake after every download of the target component: protocol ID,
// buffer size, version, flash base and size, kept in the session's facts.
class CHandshakeOperation : public CFlashOperation {
public:
    enum class Step { SendProtocolIdRequest, ReadProtocolId, ReadMaxBufferSize, ReadVersionIdFixedSize, ReadVersionId,
                      ReadFlashBase, ReadFlashSize };

    using CFlashOperation::CFlashOperation;

    // The target's sub-family: the flash base travels in its form.
    void SetSubfamily(qint32 subfamily) { m_nSubfamily = subfamily; }
    FlashOperationKind Kind() const override { return FlashOperationKind::Handshake; }
    Step CurrentStep() const { return m_step; }
    void Start() override;
    void OnHalt() override;

private:
    void ReadProtocolId();
    void ReadMaxBufferSize();
    void ReadVersionId();
    void ReadFlashBase();
    void ReadFlashSize();
    void SendNext(Step next, CommandCode command);
    // The answer of the expected command, or false after failing with `message` (which may hold "%x").
    bool ReceiveAnswer(CommMessage &answer, CommandCode command, const char *message);

    qint32 m_nSubfamily = 0;
    Step m_step = Step::SendProtocolIdRequest;
};
