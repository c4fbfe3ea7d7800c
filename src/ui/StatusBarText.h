#pragma once

#include "base/StatusText.h"

#include <QList>
#include <QPointer>

class QLabel;
class QWidget;

// The status text of interactive runs: the message pane of the main frame's
// status bar. The indicators beside the pane give way to a text that needs
// their room, so that a long text (a run's elapsed time) is never cut off
// under them.
class CStatusBarText : public CStatusText {
public:
    CStatusBarText(QLabel *pane, const QList<QWidget *> &indicators);
    void SetStatusText(const QString &text) override;
    QString StatusText() const override;

private:
    void MakeRoomFor(const QString &shown);

    QPointer<QLabel> m_pane;
    QList<QPointer<QWidget>> m_indicators;
    QString m_text;
};
