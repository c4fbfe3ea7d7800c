#include "cfi_flash.h"

#include "board.h"

// Largest write window programmed in one go: a window smaller than the
// device's write buffer stays aligned inside one of its buffers.
#define MAX_WINDOW_BYTES 2048u

enum {
    kReadArray = 0xFF,
    kReadStatus = 0x70,
    kClearStatus = 0x50,
    kReadIdentifier = 0x90,
    kQuery = 0x98,
    kBlockErase = 0x20,
    kConfirm = 0xD0,
    kWordProgram = 0x40,
    kWriteToBuffer = 0xE8,
    kLockSetup = 0x60,
    kReady = 0x80,
};

#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
#define BYTE_SHIFT(k, width) (8u * ((width) - 1u - (k)))
#else
#define BYTE_SHIFT(k, width) (8u * (k))
#endif

static uint32_t BusRead(const struct CfiFlash *f, uint32_t offset)
{
    const uintptr_t address = f->base + offset;
    switch (f->busBytes) {
    case 1: return *(volatile const uint8_t *)address;
    case 2: return *(volatile const uint16_t *)address;
    default: return *(volatile const uint32_t *)address;
    }
}

static void BusWrite(const struct CfiFlash *f, uint32_t offset, uint32_t value)
{
    const uintptr_t address = f->base + offset;
    switch (f->busBytes) {
    case 1: *(volatile uint8_t *)address = (uint8_t)value; break;
    case 2: *(volatile uint16_t *)address = (uint16_t)value; break;
    default: *(volatile uint32_t *)address = value; break;
    }
}

// The command in the low byte of every chip's lane.
static void Command(const struct CfiFlash *f, uint32_t offset, uint32_t command)
{
    BusWrite(f, offset, command * f->laneOnes);
}

static uint32_t BusOnes(uint32_t busBytes)
{
    return busBytes >= 4 ? 0xFFFFFFFFu : (1u << (8u * busBytes)) - 1u;
}

static uint32_t LaneOnes(uint32_t busBytes, uint32_t lanes)
{
    const uint32_t laneBits = 8u * busBytes / lanes;
    uint32_t ones = 0;
    for (uint32_t shift = 0; shift < 8u * busBytes; shift += laneBits)
        ones |= 1u << shift;
    return ones;
}

// The low bytes of all lanes ORed together: the status bits any chip shows.
static uint32_t AnyLane(const struct CfiFlash *f, uint32_t value)
{
    const uint32_t laneBits = 8u * f->busBytes / f->lanes;
    uint32_t bits = 0;
    for (uint32_t shift = 0; shift < 8u * f->busBytes; shift += laneBits)
        bits |= (value >> shift) & 0xFFu;
    return bits;
}

static int AllReady(const struct CfiFlash *f, uint32_t status)
{
    const uint32_t ready = kReady * f->laneOnes;
    return (status & ready) == ready;
}

// Polls the status until every chip is ready; its error bits, or a timeout.
// Asks for the status first: a device that dropped a command (QEMU's, after
// a failed buffered write) is back in read-array mode otherwise.
static uint32_t WaitReady(const struct CfiFlash *f, uint32_t offset, uint32_t polls)
{
    Command(f, offset, kReadStatus);
    do {
        const uint32_t status = BusRead(f, offset);
        if (AllReady(f, status))
            return AnyLane(f, status) & kFlashStatusErrors;
    } while (polls-- != 0);
    return kFlashTimeout;
}

// Clears the status after an error and goes back to reading the array.
static uint32_t Finish(const struct CfiFlash *f, uint32_t offset, uint32_t error)
{
    if (error)
        Command(f, offset, kClearStatus);
    Command(f, offset, kReadArray);
    return error;
}

static uint32_t QueryByte(const struct CfiFlash *f, uint32_t index)
{
    return BusRead(f, index * f->busBytes) & 0xFFu;
}

static uint32_t QueryWord(const struct CfiFlash *f, uint32_t index)
{
    return QueryByte(f, index) | (QueryByte(f, index + 1) << 8);
}

// 2 to the power the query gives, `fallback` where the field is 0.
static uint32_t Power(uint32_t exponent, uint32_t fallback)
{
    if (exponent == 0)
        return fallback;
    return 1u << (exponent > 24u ? 24u : exponent);
}

static uint32_t Polls(uint64_t microseconds)
{
    const uint64_t polls = microseconds * BOARD_POLLS_PER_MS / 1000u + BOARD_POLLS_PER_MS;
    return polls > 0xFFFFFFFFu ? 0xFFFFFFFFu : (uint32_t)polls;
}

static int ReadGeometry(struct CfiFlash *f)
{
    const uint32_t commandSet = QueryWord(f, 0x13);
    const uint32_t sizeExponent = QueryByte(f, 0x27);
    if ((commandSet != 0x0001 && commandSet != 0x0003) || sizeExponent == 0
        || sizeExponent + (f->lanes >> 1) > 31u)
        return 0;
    f->size = (1u << sizeExponent) * f->lanes;

    const uint32_t bufferExponent = QueryWord(f, 0x2A);
    f->hasBuffer = bufferExponent != 0 && bufferExponent < 16u;
    f->bufferBytes = f->busBytes;
    if (f->hasBuffer) {
        const uint32_t bank = (1u << bufferExponent) * f->lanes;
        f->bufferBytes = bank < MAX_WINDOW_BYTES ? bank : MAX_WINDOW_BYTES;
        if (f->bufferBytes < f->busBytes) {
            f->hasBuffer = 0;
            f->bufferBytes = f->busBytes;
        }
    }

    f->regionCount = QueryByte(f, 0x2C);
    if (f->regionCount == 0 || f->regionCount > CFI_MAX_REGIONS)
        return 0;
    for (uint32_t i = 0; i < f->regionCount; ++i) {
        const uint32_t field = 0x2D + 4 * i;
        const uint32_t units = QueryWord(f, field + 2);
        f->regions[i].blocks = QueryWord(f, field) + 1;
        f->regions[i].blockBytes = (units ? units * 256u : 128u) * f->lanes;
    }

    // Typical times, times the worst-case multipliers.
    f->eraseTypicalMs = Power(QueryByte(f, 0x21), 1000);
    const uint64_t eraseMaxMs = (uint64_t)f->eraseTypicalMs * Power(QueryByte(f, 0x25), 16);
    const uint64_t writeMaxUs = f->hasBuffer
        ? (uint64_t)Power(QueryByte(f, 0x20), 1000) * Power(QueryByte(f, 0x24), 16)
        : (uint64_t)Power(QueryByte(f, 0x1F), 100) * Power(QueryByte(f, 0x23), 16);
    f->erasePolls = Polls(eraseMaxMs * 1000u);
    f->writePolls = Polls(writeMaxUs);
    return 1;
}

int FlashProbe(struct CfiFlash *f, uintptr_t base)
{
    static const uint32_t kBusWidths[] = {4, 2, 1};
    f->base = base;
    for (uint32_t w = 0; w < sizeof kBusWidths / sizeof kBusWidths[0]; ++w) {
        const uint32_t bus = kBusWidths[w];
        if (bus > BOARD_MAX_BUS_BYTES)
            continue;
        f->busBytes = bus;
        f->lanes = bus;
        f->laneOnes = LaneOnes(bus, bus);
        Command(f, 0, kReadArray);
        Command(f, 0x55 * bus, kQuery);
        const uint32_t q = BusRead(f, 0x10 * bus), r = BusRead(f, 0x11 * bus), y = BusRead(f, 0x12 * bus);
        // One chip answers in the low byte of its lane; each lane answers alike.
        for (uint32_t lanes = 1; lanes <= bus; lanes <<= 1) {
            const uint32_t ones = LaneOnes(bus, lanes);
            if (q == 'Q' * ones && r == 'R' * ones && y == 'Y' * ones) {
                f->lanes = lanes;
                f->laneOnes = ones;
                const int found = ReadGeometry(f);
                Command(f, 0, kClearStatus);
                Command(f, 0, kReadArray);
                if (found)
                    return 1;
                break;
            }
        }
        Command(f, 0, kReadArray);
    }
    f->size = 0;
    return 0;
}

static uint32_t BlockStart(const struct CfiFlash *f, uint32_t offset)
{
    uint32_t start = 0;
    for (uint32_t i = 0; i < f->regionCount; ++i) {
        const uint32_t bytes = f->regions[i].blockBytes;
        const uint32_t span = f->regions[i].blocks * bytes;
        if (offset - start < span)
            return start + (offset - start) / bytes * bytes;
        start += span;
    }
    return offset;
}

static uint32_t UnlockIfLocked(const struct CfiFlash *f, uint32_t block)
{
    Command(f, block, kReadIdentifier);
    const uint32_t locked = AnyLane(f, BusRead(f, block + 2 * f->busBytes)) & 1u;
    Command(f, block, kReadArray);
    if (!locked)
        return 0;
    Command(f, block, kLockSetup);
    Command(f, block, kConfirm);
    return Finish(f, block, WaitReady(f, block, f->erasePolls));
}

static uint32_t EraseBlock(const struct CfiFlash *f, uint32_t block)
{
    const uint32_t error = UnlockIfLocked(f, block);
    if (error)
        return error;
    Command(f, block, kBlockErase);
    Command(f, block, kConfirm);
    return Finish(f, block, WaitReady(f, block, f->erasePolls));
}

uint32_t FlashEraseAll(const struct CfiFlash *f)
{
    uint32_t block = 0;
    for (uint32_t i = 0; i < f->regionCount; ++i) {
        for (uint32_t b = 0; b < f->regions[i].blocks && block < f->size; ++b) {
            const uint32_t error = EraseBlock(f, block);
            if (error)
                return error;
            block += f->regions[i].blockBytes;
        }
    }
    return 0;
}

static uint32_t Verify(const struct CfiFlash *f, uint32_t first, const uint32_t *words, uint32_t n)
{
    for (uint32_t i = 0; i < n; ++i) {
        if (BusRead(f, first + i * f->busBytes) != words[i])
            return kFlashVerify;
    }
    return 0;
}

// Programs [offset, offset + count) lying inside one write window.
static uint32_t ProgramWindow(const struct CfiFlash *f, uint32_t offset, const uint8_t *data, uint32_t count)
{
    static uint32_t words[MAX_WINDOW_BYTES];  // one per bus word, a byte at least
    const uint32_t bus = f->busBytes;
    const uint32_t first = offset & ~(bus - 1);
    const uint32_t n = (offset + count - first + bus - 1) / bus;
    int changes = 0;

    // Bytes outside the range are written as they are: programming leaves them.
    for (uint32_t i = 0; i < n; ++i) {
        const uint32_t address = first + i * bus;
        const uint32_t old = BusRead(f, address);
        uint32_t value = BusOnes(bus);
        for (uint32_t k = 0; k < bus; ++k) {
            const uint32_t at = address + k - offset;
            if (address + k >= offset && at < count)
                value &= ~(0xFFu << BYTE_SHIFT(k, bus)) | ((uint32_t)data[at] << BYTE_SHIFT(k, bus));
        }
        words[i] = old & value;
        changes |= words[i] != old;
    }
    if (!changes)
        return 0;

    if (!f->hasBuffer) {
        for (uint32_t i = 0; i < n; ++i) {
            Command(f, first + i * bus, kWordProgram);
            BusWrite(f, first + i * bus, words[i]);
            const uint32_t error = WaitReady(f, first + i * bus, f->writePolls);
            if (error)
                return Finish(f, first, error);
        }
        Finish(f, first, 0);
        return Verify(f, first, words, n);
    }

    uint32_t polls = f->writePolls;
    for (;;) {
        Command(f, first, kWriteToBuffer);
        if (AllReady(f, BusRead(f, first)))
            break;
        if (polls-- == 0)
            return Finish(f, first, kFlashTimeout);
    }
    // Every chip counts its own words: one count per lane.
    BusWrite(f, first, (n - 1) * f->laneOnes);
    for (uint32_t i = 0; i < n; ++i)
        BusWrite(f, first + i * bus, words[i]);
    Command(f, first, kConfirm);
    const uint32_t error = Finish(f, first, WaitReady(f, first, f->writePolls));
    return error ? error : Verify(f, first, words, n);
}

uint32_t FlashProgram(const struct CfiFlash *f, uint32_t offset, const uint8_t *data, uint32_t count)
{
    uint32_t checkedBlock = 0xFFFFFFFFu;
    while (count != 0) {
        const uint32_t windowEnd = (offset & ~(f->bufferBytes - 1)) + f->bufferBytes;
        const uint32_t n = count < windowEnd - offset ? count : windowEnd - offset;
        const uint32_t block = BlockStart(f, offset);
        uint32_t error = 0;
        if (block != checkedBlock) {
            error = UnlockIfLocked(f, block);
            checkedBlock = block;
        }
        if (!error)
            error = ProgramWindow(f, offset, data, n);
        if (error)
            return error;
        offset += n;
        data += n;
        count -= n;
    }
    return 0;
}

uint32_t FlashEraseSeconds(const struct CfiFlash *f)
{
    uint64_t ms = 0;
    for (uint32_t i = 0; i < f->regionCount; ++i)
        ms += (uint64_t)f->regions[i].blocks * f->eraseTypicalMs;
    const uint64_t seconds = (ms + 999u) / 1000u;
    return seconds == 0 ? 1 : seconds > 0xFFFFu ? 0xFFFFu : (uint32_t)seconds;
}
