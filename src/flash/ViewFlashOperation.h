#pragma once

#include "FlashOperation.h"
#include "ViewFlashJob.h"
#include "wire/CommandCode.h"

// Tells the target component the flash that the flash view shows and, the
// first time, asks whether single locations may be edited.
class CViewFlashOperation : public CFlashOperation {
public:
    enum class Step { SendBase, SendSize, AskEditSupport, ReadEditSupport };

    using CFlashOperation::CFlashOperation;

    void SetJob(const CViewFlashJob &job) { m_job = job; }
    FlashOperationKind Kind() const override { return FlashOperationKind::ViewFlash; }
    void Start() override;
    void OnHalt() override;

private:
    void Send(CommandCode command, quint32 value, Step next);
    void ReadEditSupport();

    CViewFlashJob m_job;
    Step m_step = Step::SendBase;
};
