#pragma once

#include "base/Result.h"

#include <QObject>
#include <QTimer>

class CCorvaneDoc;
class CFlashSession;

// Downloads the target component into the session's connection and starts
// the handshake: at once on request, or once by timer 1004 after the form's
// first display.
class CComponentDownload : public QObject {
    Q_OBJECT
public:
    static constexpr int kTimerId = 1004;
    static constexpr quint32 kLoadTimeoutMs = 10000;

    CComponentDownload(CFlashSession &session, const CCorvaneDoc &doc, int timerPeriodMs);

    // Loads `path` and starts the handshake; the load's failure otherwise
    // (one without text was reported where it was caught).
    CResult DownloadNow(const QString &path);
    // Downloads the document's component once, at the timer's next tick.
    void StartAutomatic();
    bool IsTimerActive() const { return m_timer.isActive(); }

signals:
    // The automatic download ran (or found nothing to do).
    void AutomaticDownloadDone();

private:
    void OnTick();

    CFlashSession &m_session;
    const CCorvaneDoc &m_doc;
    QTimer m_timer;
    int m_nAttempts = 0;
};
