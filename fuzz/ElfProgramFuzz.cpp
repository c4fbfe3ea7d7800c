// libFuzzer target for CElfProgram: the input is the file, read for a
// little-endian ARM processor. Whatever it holds, a read either gives a
// reason or segments whose sizes keep their bounds.
#include "debugger/gdb/ElfProgram.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray file(reinterpret_cast<const char *>(data), qsizetype(size));
    QString reason;
    const std::optional<CElfProgram> program = CElfProgram::Read(file, false, reason);
    if (!program) {
        if (reason.isEmpty())
            std::abort();
        return 0;
    }
    for (const CElfProgram::Segment &segment : program->Segments()) {
        if (segment.bytes.size() > file.size() || quint32(segment.bytes.size()) > segment.memoryBytes
            || segment.memoryBytes > CElfProgram::kMaxSegmentBytes)
            std::abort();
    }
    return 0;
}
