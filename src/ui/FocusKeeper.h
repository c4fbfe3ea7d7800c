#pragma once

#include <QPointer>

class QWidget;

// Enables and disables controls of one window without losing the keyboard
// focus: a focused control that is disabled for a while (a button during the
// work it started) leaves the focus waiting on `parking`, not on the next
// control, and gets it back when it is enabled again.
class CFocusKeeper {
public:
    explicit CFocusKeeper(QWidget &parking);

    void SetEnabled(QWidget &control, bool enabled);

private:
    QWidget &m_parking;
    QPointer<QWidget> m_waiting;
};
