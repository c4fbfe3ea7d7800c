#pragma once

// Numbers of the controls of the dialogs, as their .ui files carry them in the
// "controlId" property; the dialogs and their tests find widgets by them.
namespace DialogControlId {
constexpr int Ok = 1;
constexpr int Cancel = 2;
// Flash memory view
constexpr int CloseButton = Ok;  // its Close button ends the dialog as OK does
constexpr int ContentsGrid = 1027;
constexpr int ChangeOffsetButton = 1030;
constexpr int SaveAsTextButton = 1040;
constexpr int NextButton = 1044;
constexpr int PrevButton = 1045;
constexpr int RowList = 1058;
constexpr int CharacterList = 1059;
constexpr int UpdatingLabel = 1083;
// Memory offset dialog
constexpr int ByteChoice = 1031;
constexpr int WordChoice = 1032;
constexpr int DoublewordChoice = 1033;
constexpr int OffsetEdit = 1036;
// Edit flash memory dialog
constexpr int EditOffset = 1050;
constexpr int EditData = 1051;
constexpr int EditSpin = 1052;
constexpr int EditDone = 1053;
// Start-up dialog
constexpr int RecentList = 1075;
constexpr int RecentChoice = 1076;
constexpr int ExistingChoice = 1077;
constexpr int NewChoice = 1078;
} // namespace DialogControlId
