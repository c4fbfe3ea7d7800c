#pragma once

#include "FlashOperation.h"

// Erases the whole flash with one request, running a progress display from
// the target component's estimate of the erase time. The answer to the erase
// may take the estimate on top of the answer time-out; a component that gives
// no estimate gets the wait its caller chose.
class CEraseOperation : public CFlashOperation {
public:
    enum class Step { SendEstimateRequest, ReadEstimateAndErase, Finish };
    static constexpr int kProgressRange = 1000;

    explicit CEraseOperation(COperationHost &host);

    // Seconds the erase may take when the component gives no estimate.
    void SetWaitWithoutEstimate(int seconds) { m_nWaitWithoutEstimate = seconds; }
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

    Step m_step = Step::SendEstimateRequest;
    int m_nWaitWithoutEstimate = 0;
    int m_nPosition = 0;
};
