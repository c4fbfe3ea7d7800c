#pragma once

#include "FlashOperationKind.h"

#include <QString>

#include <optional>

// What a running operation reports about itself: a new status text, and the
// progress display shown with `done` of `total` (plus the bytes handled) or
// hidden. Front ends subscribe; nothing polls.
struct CProgressEvent {
    enum class Bar { Unchanged, Shown, Hidden };

    static CProgressEvent Status(FlashOperationKind operation, const QString &text)
    {
        return {operation, Bar::Unchanged, 0, 0, 0, text};
    }
    static CProgressEvent Shown(FlashOperationKind operation, qint64 done, qint64 total, qint64 bytes)
    {
        return {operation, Bar::Shown, done, total, bytes, std::nullopt};
    }
    static CProgressEvent Hidden(FlashOperationKind operation) { return {operation, Bar::Hidden, 0, 0, 0, std::nullopt}; }

    FlashOperationKind operation;
    Bar bar = Bar::Unchanged;
    qint64 done = 0;
    qint64 total = 0;
    qint64 bytes = 0;
    std::optional<QString> status;
};
