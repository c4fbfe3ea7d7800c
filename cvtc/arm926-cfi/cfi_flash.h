#pragma once

#include <stdint.h>

// An Intel/Sharp command-set CFI NOR flash bank: one chip or several side by
// side on the data bus, described by its CFI query.

// Error codes of the operations; 0 is success.
enum {
    kFlashStatusErrors = 0x3A,  // status register: erase, program, VPP, lock
    kFlashTimeout = 0x100,      // the device did not become ready in time
    kFlashAbsent = 0x200,       // no CFI flash answered at the base
    kFlashVerify = 0x400,       // reads back otherwise than programmed
};

#define CFI_MAX_REGIONS 4

struct CfiRegion {
    uint32_t blocks;
    uint32_t blockBytes;  // of the bank: per chip times lanes
};

struct CfiFlash {
    uintptr_t base;
    uint32_t size;         // bytes of the bank
    uint32_t busBytes;     // 1, 2 or 4
    uint32_t lanes;        // chips side by side: 1, 2 or 4
    uint32_t laneOnes;     // 0x01 in the low byte of each chip's lane
    uint32_t bufferBytes;  // write window of the bank; busBytes without a write buffer
    int hasBuffer;
    uint32_t regionCount;
    struct CfiRegion regions[CFI_MAX_REGIONS];
    uint32_t eraseTypicalMs;
    uint32_t erasePolls;
    uint32_t writePolls;
};

// Reads the query at `base`; 0 when no CFI flash of the command set answers.
int FlashProbe(struct CfiFlash *flash, uintptr_t base);
// Erases every block, unlocking locked ones first; stops at the first failure.
uint32_t FlashEraseAll(const struct CfiFlash *flash);
// Programs bytes at a byte offset (offset + count within the bank). A byte
// becomes old AND new: bits are only cleared; bytes around the range stay.
uint32_t FlashProgram(const struct CfiFlash *flash, uint32_t offset, const uint8_t *data, uint32_t count);
// Typical time to erase the whole bank, in whole seconds (at least 1).
uint32_t FlashEraseSeconds(const struct CfiFlash *flash);
