#pragma once

// Numbers of the frame's menu and toolbar commands besides those of the form
// (CommandId in config/ControlIds.h): the document framework's standard
// commands, posted and dispatched by number like the form's.
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
