#include "UpDownControl.h"

#include <QKeyEvent>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
QToolButton *MakeArrow(Qt::ArrowType arrow, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(18, 11);
    return button;
}
} // namespace

CUpDownControl::CUpDownControl(QWidget *parent)
    : QWidget(parent)
    , m_up(MakeArrow(Qt::UpArrow, this))
    , m_down(MakeArrow(Qt::DownArrow, this))
{
    setFocusPolicy(Qt::StrongFocus);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_up);
    layout->addWidget(m_down);
    connect(m_up, &QToolButton::clicked, this, [this] { emit Stepped(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { emit Stepped(-1); });
}

void CUpDownControl::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Up)
        emit Stepped(1);
    else if (event->key() == Qt::Key_Down)
        emit Stepped(-1);
    else
        QWidget::keyPressEvent(event);
}
