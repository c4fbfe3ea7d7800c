// The target component: answers the host's requests in theMessage, one per
// stop at doMessageProc.

#include "board.h"
#include "cfi_flash.h"

#include <stdint.h>

#define HEADER_BYTES 32u
#define DATA_CAPACITY 32700u
#define ADDRESS_BYTES 4u
#define USER_DATA_BYTES 65536u

#define PROTOCOL_ID 4u
#define VERSION_MAJOR 1u
#define VERSION_MINOR 0u
#define ERROR_WORD 14   // parameter word holding an erase or write error; 0 on success

enum Command {
    kGetProtocolId = 1,
    kEraseFlash = 3,
    kGetFlashBase = 4,
    kReadFlash = 6,
    kWriteFlash = 7,
    kGetChecksum = 9,
    kSendUserData = 10,
    kGetFlashSize = 11,
    kSetFlashBase = 12,
    kSetFlashSize = 13,
    kGetVersionId = 14,
    kQueryEditSupport = 15,
    kGetMaxBufferSize = 16,
    kGetEraseEstimate = 17,
    kTranslateAddresses = 18,
};

// Header (command word, fifteen parameter words, each high byte first), then data.
uint8_t theMessage[HEADER_BYTES + DATA_CAPACITY] __attribute__((aligned(4)));
// Every byte SendUserData brought, in order, as far as it fits.
uint8_t theUserData[USER_DATA_BYTES];
uint32_t theUserDataLength;

static struct CfiFlash flash;
static uint32_t flashBase = BOARD_FLASH_BASE;  // as reported; SetFlashBase changes it
static uint32_t flashSize;                     // as reported; SetFlashSize changes it
// Flash range whose erase or programming failed since the last EraseFlash:
// checksums over it are answered inverted so that verification fails.
static uint32_t failedFrom, failedTo;

// The host's breakpoint: the target stops here with theMessage free for a request.
__attribute__((noinline, noipa, used)) void doMessageProc(void)
{
    __asm__ volatile("" ::: "memory");
}

static uint32_t Param(unsigned index)
{
    const uint8_t *p = theMessage + 2 + 2 * index;
    return ((uint32_t)p[0] << 8) | p[1];
}

static void SetParam(unsigned index, uint32_t value)
{
    uint8_t *p = theMessage + 2 + 2 * index;
    p[0] = (uint8_t)(value >> 8);
    p[1] = (uint8_t)value;
}

static void SetParam32(unsigned first, uint32_t value)
{
    SetParam(first, value >> 16);
    SetParam(first + 1, value);
}

static uint32_t DataCount(uint32_t requested)
{
    return requested < DATA_CAPACITY ? requested : DATA_CAPACITY;
}

// Bytes of [offset, offset + count) that lie inside the flash.
static uint32_t Inside(uint32_t offset, uint32_t count)
{
    if (offset >= flash.size)
        return 0;
    return count < flash.size - offset ? count : flash.size - offset;
}

static void MarkFailed(uint32_t from, uint32_t to)
{
    if (failedFrom == failedTo || from < failedFrom)
        failedFrom = from;
    if (to > failedTo)
        failedTo = to;
}

static void EraseFlash(void)
{
    failedFrom = failedTo = 0;
    const uint32_t error = flash.size ? FlashEraseAll(&flash) : kFlashAbsent;
    if (error)
        MarkFailed(0, flash.size);
    SetParam(ERROR_WORD, error);
}

static void WriteFlash(uint32_t offset, uint32_t count)
{
    const uint32_t n = Inside(offset, count);
    uint32_t error = flash.size ? 0 : kFlashAbsent;
    if (n != 0)
        error = FlashProgram(&flash, offset, theMessage + HEADER_BYTES, n);
    if (error)
        MarkFailed(offset, offset + n);
    SetParam(ERROR_WORD, error);
}

static void ReadFlash(uint32_t offset, uint32_t count)
{
    const uint32_t n = Inside(offset, count);
    const volatile uint8_t *source = (const volatile uint8_t *)(flash.base + offset);
    uint8_t *data = theMessage + HEADER_BYTES;
    for (uint32_t i = 0; i < count; ++i)
        data[i] = i < n ? source[i] : 0xFF;
}

static uint32_t Fold(uint32_t sum)
{
    while (sum > 0xFFFFu)
        sum = (sum & 0xFFFFu) + (sum >> 16);
    return sum;
}

// 16-bit sum of the bytes with end-around carry.
static uint32_t Checksum(uint32_t offset, uint32_t count)
{
    const uint32_t n = Inside(offset, count);
    const uintptr_t end = flash.base + offset + n;
    uintptr_t at = flash.base + offset;
    uint32_t sum = 0;
    for (; at < end && (at & 3u) != 0; ++at)
        sum += *(const volatile uint8_t *)at;
    while (end - at >= 4) {
        // Bytes 0 and 2, and 1 and 3, of up to 256 words add up in 16-bit
        // halves that cannot carry into each other.
        const uintptr_t stop = end - at > 1024 ? at + 1024 : end - ((end - at) & 3u);
        uint32_t even = 0, odd = 0;
        for (; at < stop; at += 4) {
            const uint32_t word = *(const volatile uint32_t *)at;
            even += word & 0x00FF00FFu;
            odd += (word >> 8) & 0x00FF00FFu;
        }
        sum = Fold(sum + (even & 0xFFFFu) + (even >> 16) + (odd & 0xFFFFu) + (odd >> 16));
    }
    for (; at < end; ++at)
        sum += *(const volatile uint8_t *)at;
    sum = Fold(sum);
    const int failed = n != 0 && offset < failedTo && offset + n > failedFrom;
    return failed ? ~sum & 0xFFFFu : sum;
}

static void AppendUserData(uint32_t count)
{
    const uint32_t room = USER_DATA_BYTES - theUserDataLength;
    const uint32_t n = count < room ? count : room;
    for (uint32_t i = 0; i < n; ++i)
        theUserData[theUserDataLength + i] = theMessage[HEADER_BYTES + i];
    theUserDataLength += n;
}

// Each offset, four bytes most significant first, becomes its address.
static void TranslateAddresses(uint32_t count)
{
    const uint32_t limit = DATA_CAPACITY / ADDRESS_BYTES;
    uint8_t *p = theMessage + HEADER_BYTES;
    for (uint32_t i = 0; i < (count < limit ? count : limit); ++i, p += ADDRESS_BYTES) {
        const uint32_t address = (((uint32_t)p[0] << 24) | ((uint32_t)p[1] << 16) | ((uint32_t)p[2] << 8) | p[3])
            + flashBase;
        p[0] = (uint8_t)(address >> 24);
        p[1] = (uint8_t)(address >> 16);
        p[2] = (uint8_t)(address >> 8);
        p[3] = (uint8_t)address;
    }
}

// Carries out the request in theMessage and leaves the answer there: the
// request's command word, then the parameters (0 where the command sets none).
static void Answer(void)
{
    uint32_t request[15];
    for (unsigned i = 0; i < 15; ++i) {
        request[i] = Param(i);
        SetParam(i, 0);
    }
    const uint32_t offset = (request[0] << 16) | request[1];  // or a base or size

    switch (((uint32_t)theMessage[0] << 8) | theMessage[1]) {
    case kGetProtocolId: SetParam(0, PROTOCOL_ID); break;
    case kEraseFlash: EraseFlash(); break;
    case kGetFlashBase: SetParam32(0, flashBase); break;
    case kReadFlash: ReadFlash(offset, DataCount(request[2])); break;
    case kWriteFlash: WriteFlash(offset, DataCount(request[2])); break;
    case kGetChecksum: SetParam(0, Checksum(offset, (request[2] << 16) | request[3])); break;
    case kSendUserData: AppendUserData(DataCount(request[0])); break;
    case kGetFlashSize: SetParam32(0, flashSize); break;
    case kSetFlashBase: flashBase = offset; break;
    case kSetFlashSize: flashSize = offset; break;
    case kGetVersionId:
        SetParam(0, VERSION_MAJOR);
        SetParam(1, VERSION_MINOR);
        break;
    case kQueryEditSupport: SetParam(0, 1); break;
    case kGetMaxBufferSize: SetParam(0, DATA_CAPACITY); break;
    case kGetEraseEstimate: SetParam(0, flash.size ? FlashEraseSeconds(&flash) : 1); break;
    case kTranslateAddresses: TranslateAddresses(request[0]); break;
    default: break;
    }
}

int main(void)
{
    FlashProbe(&flash, BOARD_FLASH_BASE);
    flashSize = flash.size;
    for (;;) {
        doMessageProc();
        // The host wrote the request while the target stood in doMessageProc.
        __asm__ volatile("" ::: "memory");
        Answer();
    }
}
