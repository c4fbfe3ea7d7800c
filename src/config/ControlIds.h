#pragma once

// Numbers of the main form's controls; text configuration files name the
// document's fields by them, and the widget form binds its widgets by them.
namespace ControlId {
constexpr int Close = 1000;
constexpr int Help = 1001;
constexpr int HexCmdEdit = 1002;
constexpr int Subfamily = 1007;  // a text configuration key only; the form has no such control
constexpr int FlashBaseEdit = 1016;
constexpr int FlashSizeEdit = 1017;
constexpr int ImageOffsetEdit = 1018;
constexpr int BurnFileEdit = 1019;
constexpr int BurnFileBrowse = 1022;
constexpr int CvtcFileEdit = 1023;
constexpr int CvtcFileBrowse = 1024;
constexpr int HexCmdBrowse = 1025;
constexpr int ProgramIcon = 1036;
constexpr int ProgressBar = 1037;
constexpr int EraseIcon = 1038;
constexpr int VerifyWriteCheck = 1039;
constexpr int WriteBootAddrCheck = 1041;
constexpr int CvtcVersionEdit = 1045;
constexpr int SizeMarker = 1047;
constexpr int DownloadedIcon = 1059;
constexpr int NotDownloadedIcon = 1060;
constexpr int AbortButton = 1063;
constexpr int ConnectionList = 1064;
constexpr int ConnectButton = 1065;
constexpr int CvtcStatusEdit = 1067;
constexpr int DownloadButton = 1068;
constexpr int EraseButton = 1069;
constexpr int ProgramButton = 1070;
constexpr int ViewFlashButton = 1071;
constexpr int ProcessorEdit = 1072;
constexpr int FlashBaseUnitLabel = 1080;
constexpr int OverrideFlashCheck = 1081;
constexpr int ConnectionStatusEdit = 1082;
constexpr int ImageOffsetUnitLabel = 1083;
constexpr int Step2Group = 1086;
constexpr int Step3Group = 1087;
constexpr int CvtcVersionLabel = 1088;
constexpr int CvtcFileLabel = 1089;
constexpr int FlashBaseLabel = 1090;
constexpr int FlashSizeLabel = 1091;
constexpr int BurnFileLabel = 1092;
constexpr int HexCmdLabel = 1093;
constexpr int ImageOffsetLabel = 1094;
constexpr int CvtcStatusLabel = 1095;
constexpr int Step1DoneIcon = 1097;
constexpr int Step2DoneIcon = 1098;
constexpr int Step3DoneIcon = 1099;
} // namespace ControlId

// Menu and toolbar commands that the form enables.
namespace CommandId {
constexpr int EraseFlash = 32771;
constexpr int ProgramFlash = 32772;
constexpr int ViewFlash = 32773;
constexpr int DownloadCvtc = 32774;
constexpr int SendUserFile = 32776;
constexpr int ShowCodeComposer = 32791;
} // namespace CommandId

// Numbers of the frame's menu and toolbar commands besides those of the form
// (CommandId above): the document framework's standard commands, posted and
// dispatched by number like the form's.
namespace MenuCommand {
constexpr int FileNew = 57600;
constexpr int FileOpen = 57601;
constexpr int FileClose = 57602;
constexpr int FileSave = 57603;
constexpr int FileSaveAs = 57604;
constexpr int FilePrintSetup = 57606;
constexpr int FilePrint = 57607;
constexpr int FilePrintPreview = 57609;
constexpr int FileMruFirst = 57616;  // recent file n is FileMruFirst + n
constexpr int EditCopy = 57634;
constexpr int EditCut = 57635;
constexpr int EditPaste = 57637;
constexpr int EditUndo = 57643;
constexpr int AppAbout = 57664;
constexpr int AppExit = 57665;
constexpr int HelpFinder = 57667;
constexpr int ContextHelp = 57669;
constexpr int Help = 57670;
constexpr int ViewStatusBar = 59393;
} // namespace MenuCommand
