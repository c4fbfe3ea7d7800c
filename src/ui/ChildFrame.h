#pragma once

#include "form/FormModel.h"

#include <QWidget>

class CCorvaneDoc;
class CCorvaneView;

// The document's window inside the main frame: the form, without system menu,
// minimise or maximise box, always filling the frame's client area. A form
// larger than the area scrolls.
class CChildFrame : public QWidget {
    Q_OBJECT
public:
    CChildFrame(CCorvaneDoc &doc, QWidget *parent, FormTimerPeriods periods = {});

    CCorvaneView &View() { return *m_view; }

private:
    CCorvaneView *m_view;
};
