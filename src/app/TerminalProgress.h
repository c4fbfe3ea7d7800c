#pragma once

#include <QObject>
#include <QString>

class CFormModel;

// Shows the progress of long steps of an unattended run on standard error
// (status, percent and bytes) while standard error is a terminal.
class CTerminalProgress : public QObject {
    Q_OBJECT
public:
    explicit CTerminalProgress(CFormModel &form);
    ~CTerminalProgress() override;

private:
    void Update();
    void EndLine();

    CFormModel &m_form;
    bool m_bEnabled;
    QString m_strLastLine;
};
