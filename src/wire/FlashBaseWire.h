#pragma once

#include <QtGlobal>

// Flash base addresses as they travel in GetFlashBase answers and SetFlashBase
// requests: a 55x target component of protocol 4 counts 16-bit words, so the
// host doubles the base it reads and halves the base it sends.
quint32 FlashBaseFromWire(quint32 wireBase, int subfamily, int protocolId);
quint32 FlashBaseToWire(quint32 base, int subfamily, int protocolId);
