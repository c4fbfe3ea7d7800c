#pragma once

#include "FlashOperation.h"

// The whole-flash erase of an unattended run ("-e"): asks a component that
// offers it for its estimate and waits that long (else ten minutes) on top of
// the answer time-out. Shows no progress and cannot be aborted.
class CCommandLineEraseOperation : public CFlashOperation {
public:
    enum class Step { EraseWithEstimate, Finish };

    using CFlashOperation::CFlashOperation;

    FlashOperationKind Kind() const override { return FlashOperationKind::Erase; }
    void Start() override;
    void OnHalt() override;

private:
    void EraseWithEstimate();
    void SendErase(int seconds);

    Step m_step = Step::EraseWithEstimate;
};
