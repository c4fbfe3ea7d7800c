#include "FlashBaseWire.h"

namespace {

bool CountsWords(int subfamily, int protocolId)
{
    return subfamily == 0x55 && protocolId == 4;
}

} // namespace

quint32 FlashBaseFromWire(quint32 wireBase, int subfamily, int protocolId)
{
    return CountsWords(subfamily, protocolId) ? wireBase << 1 : wireBase;
}

quint32 FlashBaseToWire(quint32 base, int subfamily, int protocolId)
{
    return CountsWords(subfamily, protocolId) ? base >> 1 : base;
}
