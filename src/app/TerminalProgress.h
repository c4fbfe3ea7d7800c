#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>

class CFlashSession;
struct CProgressEvent;

// Shows what an unattended run is doing on standard error while standard error
// is a terminal: the status text and, while progress is shown, its percent and
// the bytes done. Follows the session's progress events, a few lines a second.
class CTerminalProgress : public QObject {
    Q_OBJECT
public:
    explicit CTerminalProgress(CFlashSession &session);
    ~CTerminalProgress() override;

private:
    void OnProgress(const CProgressEvent &event);
    QString CurrentLine() const;
    void Show(bool now);
    void EndLine();

    CFlashSession &m_session;
    QString m_strStatus;
    bool m_bProgressShown = false;
    qint64 m_nPercent = 0;
    qint64 m_nBytes = 0;
    QElapsedTimer m_sinceShown;
    QString m_strLastLine;
};
