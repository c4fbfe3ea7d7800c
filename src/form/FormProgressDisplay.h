#pragma once

struct CProgressEvent;
class CFormControls;

// Shows a flash session's progress events on the form: the status text, and
// the progress bar with the erase icon (erasing and programming) shown or hidden.
class CFormProgressDisplay {
public:
    static void Show(const CProgressEvent &event, CFormControls &controls);
};
