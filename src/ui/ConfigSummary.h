#pragma once

#include <QString>

class CCorvaneDoc;
class CFormControls;
class QPainter;
class QPrinter;

// The one-page print-out of a configuration: the texts the form shows and the
// document's two flags, drawn unwrapped into a 7 × 7 inch rectangle at the top
// left corner of the printable area and cut at its edges.
class CConfigSummary {
public:
    static QString Text(const CFormControls &controls, const CCorvaneDoc &doc);
    // Prints `text` as the job's one page.
    static void Print(QPrinter &printer, const QString &text);
    // Draws `text` with `painter` on a device of the given resolution.
    static void Draw(QPainter &painter, int dpiX, int dpiY, const QString &text);
};
