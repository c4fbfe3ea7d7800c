#include "EraseOperation.h"

#include "form/FormModel.h"
#include "base/StatusText.h"
#include "wire/CommMessage.h"
#include "config/ControlIds.h"

CEraseOperation::CEraseOperation(CFormModel &form)
    : m_form(form)
{
}

void CEraseOperation::Start()
{
    m_form.Refresh();
    m_form.ClearLogUnlessVerbose();
    m_form.Register();
    m_form.State().Set(Op::Erase, Step::EraseStart);
    Step();
    m_form.Refresh();
}

void CEraseOperation::Step()
{
    switch (m_form.State().SubState()) {
    case Step::EraseStart: SendEstimateRequest(); break;
    case Step::EraseReadEstimate: ReadEstimateAndErase(); break;
    case Step::EraseFinished: Finish(); break;
    case Step::EraseAborted: CleanUpAfterAbort(); break;
    default: break;
    }
}

void CEraseOperation::SendEstimateRequest()
{
    m_form.ShowAbortButton();
    m_form.Controls().SetVisible(ControlId::Step3DoneIcon, false);
    theStatusText().SetStatusText(QStringLiteral("Erasing Flash Memory"));
    m_form.State().SetSubState(Step::EraseReadEstimate);
    CommMessage request;
    request.SetCommand(CommandCode::GetEraseEstimate);
    m_form.SendHeader(request);
}

void CEraseOperation::ReadEstimateAndErase()
{
    int estimate = 10;
    if (m_form.ProtocolId() == 4) {
        CommMessage answer;
        m_form.ReceiveHeader(answer);
        if (!answer.IsAnswerTo(CommandCode::GetEraseEstimate)) {
            m_form.FailOperation(QString::asprintf("Cannot get the erase estimate. (cmd = %x?)", unsigned(answer.Command())));
            return;
        }
        // An estimate of 0 seconds counts as one, so that the progress advances.
        estimate = qMax(1, int(answer.Param(0)));
    }
    m_form.SetEraseEstimate(estimate);
    CFormControls &controls = m_form.Controls();
    controls.SetProgressRange(0, kProgressRange);
    controls.SetProgressPosition(0);
    controls.SetVisible(ControlId::ProgressBar, true);
    controls.SetVisible(ControlId::EraseIcon, true);
    m_form.StartTimer(CFormModel::kEraseTimerId);
    m_form.State().SetSubState(Step::EraseFinished);
    CommMessage request;
    request.SetCommand(CommandCode::EraseFlash);
    m_form.SendHeader(request, estimate);
}

bool CEraseOperation::OnTick()
{
    CFormControls &controls = m_form.Controls();
    const int position = controls.ProgressPosition();
    if (position >= kProgressRange) {
        controls.SetProgressPosition(0);
        return false;
    }
    if (!m_form.IsCancelRequested()) {
        controls.SetProgressPosition(qMin(kProgressRange, position + kProgressRange / m_form.EraseEstimate()));
        return false;
    }
    m_form.State().SetSubState(Step::EraseAborted);
    Step();
    return true;
}

void CEraseOperation::Finish()
{
    HideProgress();
    theStatusText().SetStatusText(QStringLiteral("Erase Completed"));
    m_form.State().SetIdle();
}

void CEraseOperation::CleanUpAfterAbort()
{
    HideProgress();
    m_form.State().SetIdle();
}

void CEraseOperation::HideProgress()
{
    m_form.HideAbortButton();
    m_form.StopTimer(CFormModel::kEraseTimerId);
    m_form.Controls().SetVisible(ControlId::ProgressBar, false);
    m_form.Controls().SetVisible(ControlId::EraseIcon, false);
}
