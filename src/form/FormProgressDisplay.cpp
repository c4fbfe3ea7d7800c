#include "FormProgressDisplay.h"

#include "FormControls.h"
#include "base/StatusText.h"
#include "config/ControlIds.h"
#include "flash/ProgressEvent.h"

void CFormProgressDisplay::Show(const CProgressEvent &event, CFormControls &controls)
{
    if (event.status)
        theStatusText().SetStatusText(*event.status);
    switch (event.bar) {
    case CProgressEvent::Bar::Shown:
        if (controls.ProgressHigh() != event.total || controls.ProgressLow() != 0)
            controls.SetProgressRange(0, int(event.total));
        controls.SetProgressPosition(int(event.done));
        controls.SetVisible(ControlId::ProgressBar, true);
        if (event.operation == FlashOperationKind::Erase)
            controls.SetVisible(ControlId::EraseIcon, true);
        if (event.operation == FlashOperationKind::Program)
            controls.SetVisible(ControlId::ProgramIcon, true);
        break;
    case CProgressEvent::Bar::Hidden:
        controls.SetVisible(ControlId::ProgressBar, false);
        controls.SetVisible(ControlId::EraseIcon, false);
        controls.SetVisible(ControlId::ProgramIcon, false);
        break;
    case CProgressEvent::Bar::Unchanged: break;
    }
}
