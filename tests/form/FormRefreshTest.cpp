#include "config/ControlIds.h"
#include "form/FormControls.h"
#include "form/FormRefresh.h"

#include <gtest/gtest.h>

namespace {

// One row of the form's state table.
struct RefreshRow {
    const char *name;
    FormFacts facts;
    quint32 selectedItemData;
    const char *connectionStatus;
    const char *connectText;
    bool connectEnabled;
    bool listEnabled;
    const char *downloadText;
    bool downloadEnabled;
    bool stepTwoEnabled;
    bool stepThreeEnabled;
    bool operationButtonsEnabled;
    const char *cvtcStatus;
    const char *processor;
    const char *unit;
};

class FormRefreshTable : public ::testing::TestWithParam<RefreshRow> {};

TEST_P(FormRefreshTable, ControlsFollowFacts)
{
    const RefreshRow &row = GetParam();
    CFormControls controls;
    controls.SetText(ControlId::CvtcVersionEdit, QStringLiteral("1.00000"));
    FormFacts facts = row.facts;
    facts.selectedItemData = row.selectedItemData;
    CFormRefresh::Apply(controls, facts);

    using namespace ControlId;
    EXPECT_EQ(controls.Text(ConnectionStatusEdit), QString::fromLatin1(row.connectionStatus));
    EXPECT_EQ(controls.Text(ConnectButton), QString::fromLatin1(row.connectText));
    EXPECT_EQ(controls.IsEnabled(ConnectButton), row.connectEnabled);
    EXPECT_EQ(controls.IsEnabled(ConnectionList), row.listEnabled);
    EXPECT_EQ(controls.Text(DownloadButton), QString::fromLatin1(row.downloadText));
    EXPECT_EQ(controls.IsEnabled(DownloadButton), row.downloadEnabled);
    for (int id : {Step2Group, CvtcVersionLabel, CvtcStatusLabel, CvtcFileLabel, OverrideFlashCheck, FlashBaseLabel,
                   FlashSizeLabel, CvtcStatusEdit, FlashBaseUnitLabel})
        EXPECT_EQ(controls.IsEnabled(id), row.stepTwoEnabled) << id;
    for (int id : {Step3Group, BurnFileLabel, HexCmdLabel, ImageOffsetLabel, VerifyWriteCheck, ImageOffsetEdit,
                   ImageOffsetUnitLabel})
        EXPECT_EQ(controls.IsEnabled(id), row.stepThreeEnabled) << id;
    for (int id : {EraseButton, ProgramButton, ViewFlashButton})
        EXPECT_EQ(controls.IsEnabled(id), row.operationButtonsEnabled) << id;
    EXPECT_EQ(controls.Text(CvtcStatusEdit), QString::fromLatin1(row.cvtcStatus));
    EXPECT_EQ(controls.Text(ProcessorEdit), QString::fromLatin1(row.processor));
    EXPECT_EQ(controls.Text(FlashBaseUnitLabel), QString::fromLatin1(row.unit));
    EXPECT_EQ(controls.Text(ImageOffsetUnitLabel), QString::fromLatin1(row.unit));
    EXPECT_EQ(controls.IsVisible(Step1DoneIcon), row.facts.connected);
    EXPECT_EQ(controls.IsVisible(Step2DoneIcon), row.facts.downloaded);
    EXPECT_EQ(controls.IsVisible(DownloadedIcon), row.facts.downloaded);
    EXPECT_EQ(controls.IsVisible(NotDownloadedIcon), !row.facts.downloaded);
    if (!row.facts.connected) {
        EXPECT_TRUE(controls.Text(CvtcVersionEdit).isEmpty());
    }
    // File edits and their browse buttons are never disabled.
    for (int id : {CvtcFileEdit, BurnFileEdit, HexCmdEdit, CvtcFileBrowse, BurnFileBrowse, HexCmdBrowse})
        EXPECT_TRUE(controls.IsEnabled(id)) << id;
}

constexpr quint32 kProcessorItem = 0x01000000;

INSTANTIATE_TEST_SUITE_P(States, FormRefreshTable, ::testing::Values(
    RefreshRow{"NotConnectedConnectable", {false, false, true, 1, 0, 0, 0}, kProcessorItem, "(Not Connected)", "&Connect",
               true, true, "Download CVTC", false, false, false, false, "(Not Connected)", "(Not Determined)", "(units)"},
    RefreshRow{"NotConnectedHeading", {false, false, true, 1, 0, 0, 0}, 0, "(Not Connected)", "&Connect", false, true,
               "Download CVTC", false, false, false, false, "(Not Connected)", "(Not Determined)", "(units)"},
    RefreshRow{"ConnectedIdle", {true, false, true, 2, 320, 0x54, 0}, kProcessorItem, "(Connected)", "Dis&connect", true,
               false, "&Download CVTC", true, true, false, false, "(Not Connected)", "54x", "(words)"},
    RefreshRow{"DownloadedIdle", {true, true, true, 1, 320, 0x64, 0}, kProcessorItem, "(Connected)", "Dis&connect", true,
               false, "Re-&download CVTC", true, true, true, true, "(Connected)", "64x", "(bytes)"},
    RefreshRow{"DownloadedBusy", {true, true, false, 1, 470, 1, 0}, kProcessorItem, "(Connected)", "Dis&connect", true,
               false, "Re-&download CVTC", false, true, true, false, "(Connected)", "ARM7", "(bytes)"},
    RefreshRow{"ConnectedUnknownFamily", {true, false, true, 1, 0, 0, 0}, kProcessorItem, "(Connected)", "Dis&connect",
               true, false, "&Download CVTC", true, true, false, false, "(Not Connected)", "(Not Determined)",
               "(bytes)"}),
    [](const ::testing::TestParamInfo<RefreshRow> &info) { return std::string(info.param.name); });

TEST(FormRefresh, OverrideBoxMakesBaseAndSizeEditable)
{
    CFormControls controls;
    CFormRefresh::Apply(controls, {});
    EXPECT_TRUE(controls.Control(ControlId::FlashBaseEdit).readOnly);
    EXPECT_TRUE(controls.Control(ControlId::FlashSizeEdit).readOnly);
    controls.SetChecked(ControlId::OverrideFlashCheck, true);
    CFormRefresh::Apply(controls, {});
    EXPECT_FALSE(controls.Control(ControlId::FlashBaseEdit).readOnly);
    EXPECT_FALSE(controls.Control(ControlId::FlashSizeEdit).readOnly);
}

TEST(FormRefresh, BootAddressBoxOnlyFor54xDownloaded)
{
    CFormControls controls;
    CFormRefresh::Apply(controls, {true, true, true, 2, 320, 0x54});
    EXPECT_TRUE(controls.IsEnabled(ControlId::WriteBootAddrCheck));
    CFormRefresh::Apply(controls, {true, false, true, 2, 320, 0x54, 0});
    EXPECT_FALSE(controls.IsEnabled(ControlId::WriteBootAddrCheck));
    CFormRefresh::Apply(controls, {true, true, true, 1, 320, 0x55});
    EXPECT_FALSE(controls.IsEnabled(ControlId::WriteBootAddrCheck));
}

TEST(FormRefresh, MenuRulesDifferFromButtons)
{
    CFormControls controls;
    const FormFacts ready{true, true, true, 1, 320, 0x64, 0};
    CFormRefresh::Apply(controls, ready);
    // Program Flash: the button ignores the empty file field, the menu does not.
    EXPECT_TRUE(controls.IsEnabled(ControlId::ProgramButton));
    EXPECT_FALSE(CFormRefresh::IsCommandEnabled(CommandId::ProgramFlash, controls, ready));
    controls.SetText(ControlId::BurnFileEdit, QStringLiteral("image.hex"));
    EXPECT_TRUE(CFormRefresh::IsCommandEnabled(CommandId::ProgramFlash, controls, ready));
    // Download: the menu needs a program file, the button does not.
    EXPECT_TRUE(controls.IsEnabled(ControlId::DownloadButton));
    EXPECT_FALSE(CFormRefresh::IsCommandEnabled(CommandId::DownloadCvtc, controls, ready));
    controls.SetText(ControlId::CvtcFileEdit, QStringLiteral("cvtc.out"));
    EXPECT_TRUE(CFormRefresh::IsCommandEnabled(CommandId::DownloadCvtc, controls, ready));
    FormFacts busy = ready;
    busy.idle = false;
    for (int command : {CommandId::ProgramFlash, CommandId::ViewFlash, CommandId::EraseFlash, CommandId::DownloadCvtc})
        EXPECT_FALSE(CFormRefresh::IsCommandEnabled(command, controls, busy)) << command;
}

} // namespace
