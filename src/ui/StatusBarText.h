#pragma once

#include "base/StatusText.h"

#include <QPointer>

class QLabel;

// The status text of interactive runs: the message pane of the main frame's status bar.
class CStatusBarText : public CStatusText {
public:
    explicit CStatusBarText(QLabel *pane);
    void SetStatusText(const QString &text) override;
    QString StatusText() const override;

private:
    QPointer<QLabel> m_pane;
    QString m_text;
};
