#include "ChildFrame.h"

#include "CorvaneView.h"

#include <QScrollArea>
#include <QVBoxLayout>

CChildFrame::CChildFrame(CCorvaneDoc &doc, QWidget *parent, FormTimerPeriods periods)
    : QWidget(parent)
    , m_view(new CCorvaneView(doc, nullptr, periods))
{
    auto *scroller = new QScrollArea(this);
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setWidgetResizable(true);
    scroller->setWidget(m_view);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroller);
}
