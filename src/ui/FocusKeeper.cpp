#include "FocusKeeper.h"

#include <QWidget>

namespace {
// Whether `widget` has the focus of its window, active or not: a window that a
// dialog has just left gets its focus back only when the window system makes
// it active again.
bool HoldsFocusOfWindow(const QWidget &widget)
{
    return widget.window()->focusWidget() == &widget;
}
} // namespace

CFocusKeeper::CFocusKeeper(QWidget &parking)
    : m_parking(parking)
{
}

void CFocusKeeper::SetEnabled(QWidget &control, bool enabled)
{
    const bool parks = !enabled && control.isEnabled() && HoldsFocusOfWindow(control);
    control.setEnabled(enabled);
    if (parks) {
        m_waiting = &control;
        m_parking.setFocus();
    } else if (enabled && m_waiting == &control) {
        m_waiting = nullptr;
        if (HoldsFocusOfWindow(m_parking))
            control.setFocus();
    }
}
