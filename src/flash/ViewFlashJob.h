#pragma once

#include <QtGlobal>

// Opening the flash view: the flash the target component is told of, and
// whether to ask it whether single locations may be edited.
struct CViewFlashJob {
    quint32 flashBase = 0;
    quint32 flashSize = 0;
    qint32 subfamily = 0;
    bool askEditSupport = true;
};
