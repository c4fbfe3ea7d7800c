#include "ComponentDownload.h"

#include "base/FailureReporter.h"
#include "base/ScopedStatusText.h"
#include "config/CorvaneDoc.h"
#include "debugger/AutomationError.h"
#include "debugger/TargetLink.h"
#include "flash/FlashSession.h"

CComponentDownload::CComponentDownload(CFlashSession &session, const CCorvaneDoc &doc, int timerPeriodMs)
    : m_session(session)
    , m_doc(doc)
{
    m_timer.setInterval(timerPeriodMs);
    connect(&m_timer, &QTimer::timeout, this, &CComponentDownload::OnTick);
}

CResult CComponentDownload::DownloadNow(const QString &path)
{
    CResult loaded = CFailure::Logged(QString());
    RunAtEventLoopBoundary(
        [&] { loaded = m_session.Link().LoadTargetComponent(path, kLoadTimeoutMs); },
        [](const CAutomationError &) { theReporter().Report(CFailure::Logged(QString())); });
    if (loaded) {
        CScopedStatusText status(QStringLiteral("Requesting initial info from CVTC"));
        m_session.StartHandshake(m_doc.m_nSubfamily);
    }
    return loaded;
}

void CComponentDownload::StartAutomatic()
{
    m_nAttempts = 0;
    m_timer.start();
}

void CComponentDownload::OnTick()
{
    m_timer.stop();
    if (!m_session.Link().IsLoaded() && m_nAttempts < 1) {
        ++m_nAttempts;
        if (const CResult loaded = DownloadNow(m_doc.m_strCvtcFile); !loaded)
            theReporter().Report(
                CFailure::Logged(QStringLiteral("Either I cannot load CVTC, or the CVTC is not compatible with this "
                                                "version of Corvane.\r\nVerify that the CVTC file is compatible "
                                                "with target and this version of Corvane.\r\n"),
                                 CFailure::Then::ProgramEnds)
                    .CausedBy(loaded.Failure()));
    }
    emit AutomaticDownloadDone();
}
