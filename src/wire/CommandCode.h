#pragma once

#include <QtGlobal>

// Command codes of the messages exchanged with the target component. Codes 2,
// 5, 8 and those above 18 are not used by the host.
enum class CommandCode : quint16 {
    GetProtocolId = 1,
    EraseFlash = 3,
    GetFlashBase = 4,
    ReadFlash = 6,
    WriteFlash = 7,
    GetChecksum = 9,
    SendUserData = 10,
    GetFlashSize = 11,
    SetFlashBase = 12,
    SetFlashSize = 13,
    GetVersionId = 14,
    QueryEditSupport = 15,
    GetMaxBufferSize = 16,
    GetEraseEstimate = 17,
    TranslateAddresses = 18,
};
