#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class CFormModel;

// Shows what an unattended run is doing on standard error while standard error
// is a terminal: the status text and, while the progress bar is shown, its
// percent and the bytes done. Updated a few times a second.
class CTerminalProgress : public QObject {
    Q_OBJECT
public:
    explicit CTerminalProgress(CFormModel &form);
    ~CTerminalProgress() override;

private:
    void Update();
    QString CurrentLine() const;
    void EndLine();

    CFormModel &m_form;
    QTimer m_timer;
    QString m_strLastLine;
};
