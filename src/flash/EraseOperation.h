#pragma once

class CFormModel;

// Erases the whole flash with one request, running a progress bar from the
// target component's estimate of the erase time.
class CEraseOperation {
public:
    static constexpr int kProgressRange = 1000;

    explicit CEraseOperation(CFormModel &form);

    void Start();
    void Step();
    // One tick of the progress timer; runs the abort clean-up when cancelled and then returns true.
    bool OnTick();

private:
    void SendEstimateRequest();
    void ReadEstimateAndErase();
    void Finish();
    void CleanUpAfterAbort();
    void HideProgress();

    CFormModel &m_form;
};
