#pragma once

#include <QString>
#include <QtGlobal>

// What the target component told about itself: the handshake's answers, the
// edit support asked for by the flash view, and the last erase estimate.
struct CComponentFacts {
    static constexpr int kDefaultEraseEstimateSeconds = 15;

    quint16 protocolId = 0;
    quint16 maxDataBytes = 0;  // data bytes one message carries
    QString versionText;       // "major.minor" as the form shows it
    quint32 flashBase = 0;     // as the host counts it (converted from the wire)
    quint32 flashSize = 0;     // bytes
    bool editSupport = false;
    int eraseEstimateSeconds = kDefaultEraseEstimateSeconds;
};
