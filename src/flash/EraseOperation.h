#pragma once

#include "FlashOperation.h"

// Erases the whole flash with one request, running a progress display from
// the target component's estimate of the erase time.
class CEraseOperation : public CFlashOperation {
public:
    enum class Step { SendEstimateRequest, ReadEstimateAndErase, Finish };
    static constexpr int kProgressRange = 1000;

    explicit CEraseOperation(COperationHost &host);

    FlashOperationKind Kind() const override { return FlashOperationKind::Erase; }
    Step CurrentStep() const { return m_step; }
    void Start() override;
    void OnHalt() override;
    // Advances the progress; an abort ends the operation here.
    void OnTick() override;

private:
    void SendEstimateRequest();
    void ReadEstimateAndErase();
    void Finish();
    void HideProgress();

    Step m_step = Step::SendEstimateRequest;
    int m_nPosition = 0;
};
