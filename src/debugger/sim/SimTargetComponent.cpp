#include "SimTargetComponent.h"

#include "SimFlash.h"
#include "base/FileName.h"
#include "base/MessageLog.h"
#include "wire/CommMessage.h"
#include "wire/FlashBaseWire.h"
#include "debugger/Subfamily.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <fcntl.h>

namespace {
constexpr qint64 kMsPerSecond = 1000;
constexpr qint64 kBytesPerKib = 1024;
} // namespace

CSimTargetComponent::CSimTargetComponent(const SimComponentSettings &settings, std::shared_ptr<CSimFlash> flash,
                                         const SubfamilyInfo &subfamily, const QString &userDataPath)
    : m_settings(settings)
    , m_pFlash(std::move(flash))
    , m_nSubfamily(subfamily.code)
    , m_nAddressingUnit(subfamily.addressingUnit)
    , m_strUserDataPath(userDataPath)
    , m_nFlashBase(settings.flashBase)
    , m_nFlashSize(settings.flashSize)
{
    if (settings.stuckBits)
        m_pFlash->SetStuckBits(settings.stuckBits->offset, settings.stuckBits->mask);
    else
        m_pFlash->SetStuckBits(0, 0);
}

qint32 CSimTargetComponent::BufferBytes() const
{
    return std::min<qint32>(m_settings.buffer, CommMessage::kDataCapacity);
}

qint32 CSimTargetComponent::DataCount(quint32 requested) const
{
    return qint32(std::min<quint32>(requested, quint32(BufferBytes())));
}

quint64 CSimTargetComponent::FlashByteOffset(quint32 offset) const
{
    return quint64(offset) * quint64(m_nAddressingUnit);
}

qint64 CSimTargetComponent::DurationMs(const CommMessage &request) const
{
    switch (CommandCode(request.Command())) {
    case CommandCode::EraseFlash:
        return qint64(m_settings.eraseSeconds) * kMsPerSecond;
    case CommandCode::WriteFlash:
        if (m_settings.programKibPerSecond == 0)
            return 0;
        return qint64(DataCount(request.Param(2))) * kMsPerSecond
            / (qint64(m_settings.programKibPerSecond) * kBytesPerKib);
    default:
        return 0;
    }
}

bool CSimTargetComponent::HangsAfter(const CommMessage &request) const
{
    return m_settings.noAnswer && *m_settings.noAnswer == request.Command();
}

bool CSimTargetComponent::LosesConnectionAt(const CommMessage &request) const
{
    return m_settings.lostAt && *m_settings.lostAt == request.Command();
}

bool CSimTargetComponent::KeepState()
{
    return m_pFlash->Save() && !m_bUserDataLost;
}

CommMessage CSimTargetComponent::Answer(const CommMessage &request)
{
    CommMessage answer;
    answer.SetCommandWord(request.Command());
    Carry(request, answer);
    if (m_settings.wrongEcho && *m_settings.wrongEcho == request.Command())
        answer.SetCommandWord(0);
    return answer;
}

void CSimTargetComponent::Carry(const CommMessage &request, CommMessage &answer)
{
    switch (CommandCode(request.Command())) {
    case CommandCode::GetProtocolId: answer.SetParam(0, m_settings.protocol); break;
    case CommandCode::EraseFlash: m_pFlash->Erase(); break;
    case CommandCode::GetFlashBase: answer.SetParam32(0, m_nFlashBase); break;
    case CommandCode::ReadFlash: ReadFlash(request, answer); break;
    case CommandCode::WriteFlash: WriteFlash(request); break;
    case CommandCode::GetChecksum:
        answer.SetParam(0, m_pFlash->Checksum(FlashByteOffset(request.Param32(0)), request.Param32(2)));
        break;
    case CommandCode::SendUserData: AppendUserData(request); break;
    case CommandCode::GetFlashSize: answer.SetParam32(0, m_nFlashSize); break;
    case CommandCode::SetFlashBase: m_nFlashBase = request.Param32(0); break;
    case CommandCode::SetFlashSize: m_nFlashSize = request.Param32(0); break;
    case CommandCode::GetVersionId: answer.SetParams({m_settings.versionMajor, m_settings.versionMinor}); break;
    case CommandCode::QueryEditSupport: answer.SetParam(0, m_settings.edit); break;
    case CommandCode::GetMaxBufferSize: answer.SetParam(0, m_settings.buffer); break;
    case CommandCode::GetEraseEstimate: answer.SetParam(0, m_settings.eraseSeconds); break;
    case CommandCode::TranslateAddresses: TranslateAddresses(request, answer); break;
    }
}

void CSimTargetComponent::ReadFlash(const CommMessage &request, CommMessage &answer) const
{
    const qint32 count = DataCount(request.Param(2));
    const QByteArray bytes = m_pFlash->Read(FlashByteOffset(request.Param32(0)), count);
    std::copy_n(bytes.constData(), count, reinterpret_cast<char *>(answer.Data()));
    answer.SetDataLength(count);
}

void CSimTargetComponent::WriteFlash(const CommMessage &request)
{
    ++m_nWritesSeen;
    if (m_settings.dropWrite != 0 && m_nWritesSeen == m_settings.dropWrite)
        return;
    m_pFlash->Program(FlashByteOffset(request.Param32(0)), request.Data(), DataCount(request.Param(2)));
}

void CSimTargetComponent::TranslateAddresses(const CommMessage &request, CommMessage &answer) const
{
    const qint32 count = std::min(qint32(request.Param(0)), BufferBytes() / CommMessage::kAddressBytes);
    const quint32 base = FlashBaseFromWire(m_nFlashBase, m_nSubfamily, m_settings.protocol);
    QList<quint32> addresses = request.AddressList(count);
    for (quint32 &address : addresses)
        address += base;
    answer.SetAddressList(addresses);
}

void CSimTargetComponent::AppendUserData(const CommMessage &request)
{
    // After a loss, later data would leave a gap.
    if (m_bUserDataLost)
        return;
    CFileName::MakeFolderOf(m_strUserDataPath);
    QFile file;
    const int error = CFileName::Open(file, m_strUserDataPath, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC);
    const qint32 count = DataCount(request.Param(0));
    // The flush shows a full disk that the buffered write hid.
    if (error == 0 && file.write(reinterpret_cast<const char *>(request.Data()), count) == count && file.flush())
        return;
    m_bUserDataLost = true;
    const QString reason = error != 0 ? qt_error_string(error) : file.errorString();
    theLog.Add(QStringLiteral("Cannot append user data to %1: %2.\r\n")
                   .arg(QDir::toNativeSeparators(m_strUserDataPath), reason));
}
