// The command-line erase without a target: it waits the target component's
// estimate where it gives one, else ten minutes, on top of the time-out.
#include "flash/EraseOperation.h"
#include "FakeOperationHost.h"
#include "flash/CommandLineSequence.h"
#include "flash/ProgramOperation.h"
#include "flash/SaveFlashDataOperation.h"
#include "flash/SendUserFileOperation.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLineErase, WaitsTheComponentsEstimate)
{
    const struct {
        quint16 protocol;
        QList<quint16> requests;
        int eraseWait;
    } cases[] = {
        {4, {quint16(CommandCode::GetEraseEstimate), quint16(CommandCode::EraseFlash)}, 17},
        {3, {quint16(CommandCode::GetEraseEstimate), quint16(CommandCode::EraseFlash)}, 600},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.protocol);
        FakeOperationHost host;
        host.facts.protocolId = c.protocol;
        host.eraseEstimate = 17;
        CEraseOperation erase(host);
        CProgramOperation program(host);
        CSaveFlashDataOperation saveFlashData(host);
        CSendUserFileOperation sendUserFile(host);
        CCommandLineSequence sequence(host, erase, program, saveFlashData, sendUserFile);
        CCommandLineJob job;
        job.erase = true;
        sequence.SetJob(job);
        host.Run(sequence);
        // The requests up to the erase; the run goes on to program the (missing) image.
        QList<quint16> requests;
        for (const CommMessage &request : host.requests) {
            requests.append(request.Command());
            if (request.IsAnswerTo(CommandCode::EraseFlash))
                break;
        }
        EXPECT_EQ(requests, c.requests);
        EXPECT_EQ(host.extraWaits.value(requests.size() - 1), c.eraseWait);
    }
}

// Image names are programmed, command files converted, everything else sent as user data.
TEST(CommandLineSequence, KindOfAFileFollowsItsName)
{
    using Kind = CCommandLineSequence::FileKind;
    const struct {
        const char *name;
        Kind kind;
    } cases[] = {
        {"app.hex", Kind::HexImage},         {"app.HEX.old", Kind::HexImage},  {"data.dat", Kind::HexImage},
        {"app.elf", Kind::HexImage},         {"APP.OUT.ELF", Kind::HexImage},  {"app.s19", Kind::HexImage},
        {"app.S28", Kind::HexImage},         {"app.s37", Kind::HexImage},      {"app.srec", Kind::HexImage},
        {"app.mot", Kind::HexImage},         {"app.ihex", Kind::HexImage},     {"app.IHX", Kind::HexImage},
        {"app.tek", Kind::HexImage},         {"convert.cmd", Kind::ConversionCommands},
        {"app.bin", Kind::UserFile},         {"app.txt", Kind::UserFile},      {"app.elf.txt", Kind::UserFile},
        {"app.out", Kind::UserFile},         {"elf", Kind::UserFile},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CCommandLineSequence::KindOf(QString::fromLatin1(c.name)), c.kind) << c.name;
}

} // namespace
