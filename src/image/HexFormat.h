#pragma once

// The file format of a hex image, as detected from its first bytes.
enum HexFormat {
    HexUnknown = 0,
    HexTiAscii = 1,
    HexS1 = 2,
    HexS2 = 3,
    HexS3 = 4,
    HexCcsData = 5,
    HexIntel = 6,
    HexTektronix = 7,
    HexTektronixExtended = 8,
    HexTiTagged = 9,
    HexTiTxt = 10,
    HexElf = 11,
    HexBinary = 12,
};
