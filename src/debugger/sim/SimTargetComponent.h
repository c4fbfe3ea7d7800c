#pragma once

#include "SimComponentSettings.h"

#include <QString>

#include <memory>

class CommMessage;
class CSimFlash;
struct SubfamilyInfo;

// The simulated target component: answers every command of the message
// protocol as the component on a board would, over a NOR flash, with the
// faults its file asks for.
class CSimTargetComponent {
public:
    CSimTargetComponent(const SimComponentSettings &settings, std::shared_ptr<CSimFlash> flash,
                        const SubfamilyInfo &subfamily, const QString &userDataPath);

    // Data bytes "theMessage" holds after its header.
    qint32 BufferBytes() const;
    // How long the request takes on a board, in milliseconds.
    qint64 DurationMs(const CommMessage &request) const;
    // Carries out the request and returns the answer.
    CommMessage Answer(const CommMessage &request);
    // True when, after this request, the target never halts again.
    bool HangsAfter(const CommMessage &request) const;
    // The connection is lost while the target answers `request`.
    bool LosesConnectionAt(const CommMessage &request) const;
    // Saves the flash; false when the flash or user data it was sent could not
    // be kept (the log says why).
    bool KeepState();

private:
    void Carry(const CommMessage &request, CommMessage &answer);
    quint64 FlashByteOffset(quint32 offset) const;
    qint32 DataCount(quint32 requested) const;
    void WriteFlash(const CommMessage &request);
    void ReadFlash(const CommMessage &request, CommMessage &answer) const;
    void TranslateAddresses(const CommMessage &request, CommMessage &answer) const;
    void AppendUserData(const CommMessage &request);

    SimComponentSettings m_settings;
    std::shared_ptr<CSimFlash> m_pFlash;
    qint32 m_nSubfamily;
    qint32 m_nAddressingUnit;
    QString m_strUserDataPath;
    quint32 m_nFlashBase;     // as SetFlashBase sent it
    quint32 m_nFlashSize;
    quint32 m_nWritesSeen = 0;
    bool m_bUserDataLost = false;
};
