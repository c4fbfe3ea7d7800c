#pragma once

// The operations a flash session runs, one at a time.
enum class FlashOperationKind {
    Handshake,
    Erase,
    Program,
    SendUserFile,
    SaveFlashData,
    ViewFlash,
    TranslateAddresses,
    ReadPage,
    WriteLocation,
    CommandLineRun,
};

// How an operation ended.
enum class OperationOutcome { Succeeded, Failed, Aborted };

// The flash view's own requests: short, and no operation of the form.
inline bool IsFlashViewRequest(FlashOperationKind kind)
{
    return kind == FlashOperationKind::TranslateAddresses || kind == FlashOperationKind::ReadPage
        || kind == FlashOperationKind::WriteLocation;
}
