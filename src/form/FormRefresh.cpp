#include "FormRefresh.h"

#include "config/ControlIds.h"
#include "FormControls.h"

namespace {
constexpr quint32 kFamilyTms320 = 320;
constexpr quint32 kFamilyArm = 470;
constexpr quint32 kSubfamily54x = 0x54;
constexpr quint32 kConnectableBits = 0x0F000000;

// Enabled exactly while connected.
constexpr int kStep2Controls[] = {ControlId::Step2Group,         ControlId::CvtcVersionLabel, ControlId::CvtcStatusLabel,
                                  ControlId::CvtcFileLabel,      ControlId::OverrideFlashCheck, ControlId::FlashBaseLabel,
                                  ControlId::FlashSizeLabel,     ControlId::CvtcStatusEdit,   ControlId::FlashBaseUnitLabel};
// Enabled exactly while downloaded.
constexpr int kStep3Controls[] = {ControlId::Step3Group,      ControlId::BurnFileLabel,    ControlId::HexCmdLabel,
                                  ControlId::ImageOffsetLabel, ControlId::VerifyWriteCheck, ControlId::ImageOffsetEdit,
                                  ControlId::ImageOffsetUnitLabel, ControlId::ChangedOnlyCheck};
} // namespace

QString CFormRefresh::ProcessorName(quint32 family, quint32 subfamily)
{
    if (family == kFamilyTms320)
        return QString::number(subfamily, 16).toUpper() + u'x';
    if (family == kFamilyArm)
        return subfamily == 1 ? QStringLiteral("ARM7") : QStringLiteral("ARM9");
    return QStringLiteral("(Not Determined)");
}

void CFormRefresh::Apply(CFormControls &controls, const FormFacts &facts)
{
    if (facts.connected)
        ApplyConnected(controls, facts);
    else
        ApplyNotConnected(controls, facts);

    const bool stepThreeReady = facts.downloaded && facts.idle;
    for (int id : {ControlId::EraseButton, ControlId::ProgramButton, ControlId::ViewFlashButton})
        controls.SetEnabled(id, stepThreeReady);

    controls.SetVisible(ControlId::DownloadedIcon, facts.downloaded);
    controls.SetVisible(ControlId::NotDownloadedIcon, !facts.downloaded);
    controls.SetText(ControlId::CvtcStatusEdit,
                     facts.downloaded ? QStringLiteral("(Connected)") : QStringLiteral("(Not Connected)"));

    const bool editable = controls.IsChecked(ControlId::OverrideFlashCheck);
    controls.SetReadOnly(ControlId::FlashBaseEdit, !editable);
    controls.SetReadOnly(ControlId::FlashSizeEdit, !editable);

    for (int id : kStep2Controls)
        controls.SetEnabled(id, facts.connected);
    for (int id : kStep3Controls)
        controls.SetEnabled(id, facts.downloaded);

    controls.SetVisible(ControlId::Step1DoneIcon, facts.connected);
    controls.SetVisible(ControlId::Step2DoneIcon, facts.downloaded);
    // Step 3's mark tells of the connection's last programming.
    if (!facts.downloaded)
        controls.SetVisible(ControlId::Step3DoneIcon, false);
    controls.SetEnabled(ControlId::WriteBootAddrCheck, facts.subfamily == kSubfamily54x && facts.downloaded);
}

void CFormRefresh::ApplyConnected(CFormControls &controls, const FormFacts &facts)
{
    controls.SetText(ControlId::ConnectionStatusEdit, QStringLiteral("(Connected)"));
    controls.SetText(ControlId::ConnectButton, QStringLiteral("Dis&connect"));
    // Disconnect ends whatever runs, so that no waiting operation can hold the form.
    controls.SetEnabled(ControlId::ConnectButton, true);
    controls.SetEnabled(ControlId::ConnectionList, false);
    controls.SetText(ControlId::DownloadButton,
                     facts.downloaded ? QStringLiteral("Re-&download CVTC") : QStringLiteral("&Download CVTC"));
    controls.SetEnabled(ControlId::DownloadButton, facts.idle);
    controls.SetText(ControlId::ProcessorEdit, ProcessorName(facts.family, facts.subfamily));
    const QString unit = facts.addressingUnit == 1 ? QStringLiteral("(bytes)") : QStringLiteral("(words)");
    controls.SetText(ControlId::FlashBaseUnitLabel, unit);
    controls.SetText(ControlId::ImageOffsetUnitLabel, unit);
}

void CFormRefresh::ApplyNotConnected(CFormControls &controls, const FormFacts &facts)
{
    controls.SetText(ControlId::ConnectionStatusEdit, QStringLiteral("(Not Connected)"));
    controls.SetText(ControlId::ConnectButton, QStringLiteral("&Connect"));
    controls.SetEnabled(ControlId::ConnectionList, true);
    controls.SetEnabled(ControlId::ConnectButton, (facts.selectedItemData & kConnectableBits) != 0);
    controls.SetText(ControlId::DownloadButton, QStringLiteral("Download CVTC"));
    controls.SetEnabled(ControlId::DownloadButton, false);
    controls.SetText(ControlId::CvtcVersionEdit, QString());
    controls.SetText(ControlId::ProcessorEdit, QStringLiteral("(Not Determined)"));
    controls.SetText(ControlId::FlashBaseUnitLabel, QStringLiteral("(units)"));
    controls.SetText(ControlId::ImageOffsetUnitLabel, QStringLiteral("(units)"));
}

bool CFormRefresh::IsCommandEnabled(int command, const CFormControls &controls, const FormFacts &facts)
{
    const bool ready = facts.connected && facts.downloaded && facts.idle;
    switch (command) {
    case CommandId::ProgramFlash:
        return ready && !controls.Text(ControlId::BurnFileEdit).isEmpty();
    case CommandId::ViewFlash:
    case CommandId::EraseFlash:
    case CommandId::SendUserFile:
        return ready;
    case CommandId::DownloadCvtc:
        return facts.connected && facts.idle && !controls.Text(ControlId::CvtcFileEdit).isEmpty();
    default:
        return true;
    }
}
