#include "support/TargetTestSupport.h"

#include "wire/CommMessage.h"
#include "debugger/DspMemory.h"
#include "debugger/DspUserEvents.h"
#include "debugger/AutomationError.h"
#include "debugger/DspValue.h"
#include "debugger/Subfamily.h"
#include "debugger/sim/SimDspUser.h"
#include "debugger/sim/SimTiming.h"

#include <gtest/gtest.h>

namespace {

// Records the events of a simulated processor.
class RecordingEvents : public IDspUserEvents {
public:
    void OnLoadFinished(const QString &error) override { loads.append(error); }
    void OnHalted(const std::shared_ptr<IDspValue> &location) override { halts.append(location->Number()); }
    void OnTargetLost(const QString &) override {}

    QStringList loads;
    QList<quint32> halts;
};

// A connected simulated 64x processor with its events recorded.
struct SimProcessorUnderTest {
    SimProcessorUnderTest()
        : dspUser(std::make_shared<CSimDspUser>(QStringLiteral("Board"), QStringLiteral("CPU"), *FindSubfamily(0x64),
                                                false))
        , events(std::make_shared<RecordingEvents>())
    {
        dspUser->Advise(events);
        dspUser->InvokeNamedMethod(dspUser->NamedMethodId(QStringLiteral("TargetConnect")));
    }

    // Loads a component with `settings` and waits for the end of the load.
    bool Load(const QStringList &settings)
    {
        if (!dspUser->LoadProgram(scratch.WriteComponent(settings)))
            return false;
        return ProcessEventsUntil([this] { return !events->loads.isEmpty(); }) && events->loads.last().isEmpty();
    }

    void SetBreakpointAtMessageProc()
    {
        dspUser->SetBreakpoint(*dspUser->CreateAddressValue(CSimDspUser::kMessageProcAddress));
    }

    // Puts a request into "theMessage".
    void Put(CommandCode code)
    {
        const auto address = dspUser->CreateAddressValue(0);
        ASSERT_TRUE(dspUser->FindSymbol(QStringLiteral("theMessage"), *address));
        const auto block = dspUser->CreateMemory(*address, 4, 1);
        block->SetElement(0, quint32(code) << 8);   // little-endian word: bytes 00 code
        ASSERT_TRUE(dspUser->WriteBlock(*block));
    }

    SimScratch scratch;
    std::shared_ptr<CSimDspUser> dspUser;
    std::shared_ptr<RecordingEvents> events;
};

TEST(SimDspUser, LoadsOnlyWhenConnectedAndReadable)
{
    SimScratch scratch;
    const auto dspUser = std::make_shared<CSimDspUser>(QStringLiteral("B"), QStringLiteral("P"), *FindSubfamily(1), false);
    EXPECT_EQ(dspUser->NamedMethodId(QStringLiteral("Connect")), -1);
    EXPECT_FALSE(dspUser->LoadProgram(scratch.WriteComponent({})));   // not connected yet
    dspUser->InvokeNamedMethod(dspUser->NamedMethodId(QStringLiteral("TargetConnect")));
    EXPECT_FALSE(dspUser->LoadProgram(scratch.Path(QStringLiteral("missing.txt"))));
    EXPECT_TRUE(dspUser->LoadProgram(scratch.WriteComponent({})));
}

TEST(SimDspUser, AFileThatIsNoComponentEndsTheLoadWithItsReason)
{
    SimProcessorUnderTest p;
    ASSERT_TRUE(p.dspUser->LoadProgram(p.scratch.WriteFile(QStringLiteral("a.out"), "\x7F" "ELF")));
    EXPECT_TRUE(p.events->loads.isEmpty());   // not inside the call
    ASSERT_TRUE(ProcessEventsUntil([&] { return !p.events->loads.isEmpty(); }));
    EXPECT_TRUE(p.events->loads.last().contains(QLatin1String("line 1: not a simulated target component file")));
    const auto value = p.dspUser->CreateAddressValue(0);
    EXPECT_FALSE(p.dspUser->FindSymbol(QStringLiteral("theMessage"), *value));
}

TEST(SimDspUser, WithoutTheBreakpointTheComponentNeverStops)
{
    SimProcessorUnderTest p;
    ASSERT_TRUE(p.Load({}));
    p.dspUser->Run();
    ProcessPendingEvents();
    EXPECT_TRUE(p.events->halts.isEmpty());
    p.dspUser->Halt();
    ASSERT_TRUE(ProcessEventsUntil([&] { return !p.events->halts.isEmpty(); }));
    EXPECT_EQ(p.events->halts, QList<quint32> {CSimDspUser::kIdleAddress});
}

TEST(SimDspUser, AfterTheNoAnswerCommandTheTargetNeverHaltsAgain)
{
    SimProcessorUnderTest p;
    ASSERT_TRUE(p.Load({QStringLiteral("fault.no_answer = 11")}));
    p.SetBreakpointAtMessageProc();
    p.dspUser->Run();
    ASSERT_TRUE(ProcessEventsUntil([&] { return p.events->halts.size() == 1; }));
    p.Put(CommandCode::GetProtocolId);
    p.dspUser->Run();
    ASSERT_TRUE(ProcessEventsUntil([&] { return p.events->halts.size() == 2; }));
    p.Put(CommandCode::GetFlashSize);
    p.dspUser->Run();
    for (int i = 0; i < 20; ++i)
        ProcessPendingEvents();
    EXPECT_EQ(p.events->halts.size(), 2);
    EXPECT_EQ(p.events->halts.last(), CSimDspUser::kMessageProcAddress);
}

TEST(SimDspUser, ARequestTakesItsSimulatedTime)
{
    SimProcessorUnderTest p;
    ASSERT_TRUE(p.Load({QStringLiteral("erase_seconds = 30")}));
    p.SetBreakpointAtMessageProc();
    p.dspUser->Run();
    ASSERT_TRUE(ProcessEventsUntil([&] { return p.events->halts.size() == 1; }));
    CSimTiming::SetInstant(false);
    p.Put(CommandCode::EraseFlash);
    p.dspUser->Run();
    EXPECT_FALSE(ProcessEventsUntil([&] { return p.events->halts.size() == 2; }, 100));
    p.dspUser->Halt();   // interrupted: the erase stays pending
    ASSERT_TRUE(ProcessEventsUntil([&] { return p.events->halts.size() == 2; }));
    EXPECT_EQ(p.events->halts.last(), CSimDspUser::kBusyAddress);
}

TEST(SimDspUser, EventsStopWithTheConnection)
{
    SimProcessorUnderTest p;
    auto other = std::make_shared<RecordingEvents>();
    const std::optional<quint32> cookie = p.dspUser->Advise(other);
    ASSERT_TRUE(cookie);
    ASSERT_TRUE(p.dspUser->LoadProgram(p.scratch.WriteComponent({})));
    p.dspUser->Unadvise(*cookie);
    ASSERT_TRUE(ProcessEventsUntil([&] { return !p.events->loads.isEmpty(); }));
    EXPECT_TRUE(other->loads.isEmpty());
}

TEST(SimDspUser, MemoryOutsideTheDataRamIsRefused)
{
    SimProcessorUnderTest p;
    const auto low = p.dspUser->CreateMemory(*p.dspUser->CreateAddressValue(0x100), 4, 1);
    EXPECT_FALSE(p.dspUser->ReadBlock(*low));
    const auto program = p.dspUser->CreateMemory(*p.dspUser->CreateAddressValue(0x10000), 4, 0);
    EXPECT_FALSE(p.dspUser->WriteBlock(*program));
    const auto data = p.dspUser->CreateMemory(*p.dspUser->CreateAddressValue(0x10000), 4, 1);
    EXPECT_TRUE(p.dspUser->ReadBlock(*data));
    EXPECT_THROW(data->Element(4), CAutomationError);
}

} // namespace
