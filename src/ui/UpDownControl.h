#pragma once

#include <QWidget>

class QToolButton;

// A pair of arrow buttons that step a position up or down, also with the Up
// and Down keys while it has the focus.
class CUpDownControl : public QWidget {
    Q_OBJECT
public:
    explicit CUpDownControl(QWidget *parent = nullptr);

    QToolButton *UpButton() const { return m_up; }
    QToolButton *DownButton() const { return m_down; }

signals:
    // The position changed by `delta` (+1 up, -1 down).
    void Stepped(int delta);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QToolButton *m_up;
    QToolButton *m_down;
};
