#include "FocusKeeper.h"

#include <QWidget>

CFocusKeeper::CFocusKeeper(QWidget &parking)
    : m_parking(parking)
{
}

void CFocusKeeper::SetEnabled(QWidget &control, bool enabled)
{
    const bool parks = !enabled && control.isEnabled() && control.hasFocus();
    control.setEnabled(enabled);
    if (parks) {
        m_waiting = &control;
        m_parking.setFocus();
    } else if (enabled && m_waiting == &control) {
        m_waiting = nullptr;
        if (m_parking.hasFocus())
            control.setFocus();
    }
}
