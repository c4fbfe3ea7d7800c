#include "debugger/sim/SimMonitor.h"
#include "wire/CommMessage.h"

#include <gtest/gtest.h>

namespace {

// Exchanges are kept and announced only while recording is on, and only those of the connected processor.
TEST(SimMonitor, RecordsExchangesOnlyWhenSwitchedOn)
{
    CommMessage request;
    request.SetCommand(CommandCode::WriteFlash);
    const int processor = 0;
    const int other = 0;
    const struct {
        const char *name;
        bool recording;
        const void *from;
        int kept;
    } cases[] = {{"off", false, &processor, 0}, {"other processor", true, &other, 0}, {"on", true, &processor, 1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        CSimMonitor monitor;
        int announced = 0;
        QObject::connect(&monitor, &CSimMonitor::Exchanged, [&announced] { ++announced; });
        monitor.OnConnected(&processor, QStringLiteral("Simulator 64x"), QStringLiteral("CPU"), QStringLiteral("64x"));
        monitor.SetRecordingExchanges(c.recording);
        monitor.OnExchanged(c.from, request, request);
        EXPECT_EQ(monitor.Records().size(), c.kept);
        EXPECT_EQ(announced, c.kept);
    }
}

} // namespace
