#pragma once

class QWidget;

// The property by which the form files number their controls.
inline constexpr char kControlIdProperty[] = "controlId";

// The child of `root` with control number `id`; null when none.
QWidget *FindControl(const QWidget &root, int id);
