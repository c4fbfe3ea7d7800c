// The command-line erase without a target: how long it waits for the erase.
#include "FakeOperationHost.h"
#include "flash/CommandLineSequence.h"
#include "flash/ProgramOperation.h"
#include "flash/SaveFlashDataOperation.h"
#include "flash/SendUserFileOperation.h"

#include <gtest/gtest.h>

namespace {

struct EraseCase {
    const char *name;
    quint16 protocol;
    QList<CommandCode> requests;
    int eraseWait;  // seconds the erase request adds to the answer time-out
};

class CommandLineErase : public testing::TestWithParam<EraseCase> {};

TEST_P(CommandLineErase, WaitsTheComponentsEstimate)
{
    const EraseCase &c = GetParam();
    FakeOperationHost host;
    host.facts.protocolId = c.protocol;
    host.eraseEstimate = 17;
    CProgramOperation program(host);
    CSaveFlashDataOperation saveFlashData(host);
    CSendUserFileOperation sendUserFile(host);
    CCommandLineSequence sequence(host, program, saveFlashData, sendUserFile);
    CCommandLineJob job;
    job.erase = true;
    sequence.SetJob(job);
    host.Run(sequence);
    QList<CommandCode> requests;
    for (const CommMessage &request : host.requests)
        requests.append(CommandCode(request.Command()));
    EXPECT_EQ(requests, c.requests);
    EXPECT_EQ(host.extraWaits.value(c.requests.size() - 1), c.eraseWait);
    EXPECT_FALSE(host.failure);
}

INSTANTIATE_TEST_SUITE_P(Protocols, CommandLineErase, testing::Values(
    EraseCase{"EstimateOfProtocol4", 4, {CommandCode::GetEraseEstimate, CommandCode::EraseFlash}, 17},
    EraseCase{"TenMinutesWithoutAnEstimate", 3, {CommandCode::EraseFlash}, 600}),
    [](const testing::TestParamInfo<EraseCase> &info) { return std::string(info.param.name); });

} // namespace
