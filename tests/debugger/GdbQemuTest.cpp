#include "support/QemuGdbServer.h"
#include "support/TargetTestSupport.h"

#include "debugger/AddressValue.h"
#include "debugger/DspMemory.h"
#include "debugger/DspUserEvents.h"
#include "debugger/Subfamily.h"
#include "debugger/gdb/GdbDspUser.h"
#include "debugger/gdb/GdbMonitor.h"

#include <QtEndian>

#include <gtest/gtest.h>

namespace {

class Sink : public IDspUserEvents {
public:
    void OnLoadFinished(const QString &error) override { loads.append(error); }
    void OnHalted(const std::shared_ptr<IDspValue> &location) override { halts.append(location->Number()); }
    void OnTargetLost(const QString &) override {}
    QStringList loads;
    QList<quint32> halts;
};

quint32 ReadWord(CGdbDspUser &user, quint32 address)
{
    const auto block = user.CreateMemory(CAddressValue(address), 4, 1);
    EXPECT_TRUE(user.ReadBlock(*block));
    return block->Element(0);
}

// The tiny program calls doMessageProc without end; each call adds 1 to theMessage.
TEST(GdbQemu, EachRunAnswersOnceAndStopsAtTheBreakpointAgain)
{
#ifndef CORVANE_TINY_ARM_ELF
    GTEST_SKIP() << "arm-none-eabi-gcc did not build the tiny ARM program";
#else
    if (!QemuGdbServer::Unavailable().isEmpty())
        GTEST_SKIP() << QemuGdbServer::Unavailable().toStdString();
    const QemuGdbServer qemu;
    const auto user = std::make_shared<CGdbDspUser>(qemu.Setup(), *FindSubfamily(2), false);
    const auto sink = std::make_shared<Sink>();
    user->Advise(sink);
    user->InvokeNamedMethod(CGdbDspUser::kTargetConnectId);

    ASSERT_TRUE(user->LoadProgram(QStringLiteral(CORVANE_TINY_ARM_ELF)));
    ASSERT_TRUE(ProcessEventsUntil([&] { return !sink->loads.isEmpty(); }));
    ASSERT_EQ(sink->loads, QStringList {QString()});
    CAddressValue messageProc(0);
    CAddressValue message(0);
    ASSERT_TRUE(user->FindSymbol(QStringLiteral("doMessageProc"), messageProc));
    ASSERT_TRUE(user->FindSymbol(QStringLiteral("theMessage"), message));
    user->SetBreakpoint(messageProc);

    for (quint32 calls = 0; calls < 4; ++calls) {
        user->Run();
        EXPECT_EQ(sink->halts.size(), qsizetype(calls));
        ASSERT_TRUE(ProcessEventsUntil([&] { return sink->halts.size() > qsizetype(calls); }));
        EXPECT_EQ(sink->halts.last(), messageProc.Number());
        EXPECT_EQ(ReadWord(*user, message.Number()), calls);
    }

    QByteArray bytes(1000, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = "#$}*\x03"[i % 5] ^ char(i);
    const auto block = user->CreateMemory(CAddressValue(0x20000), bytes.size(), 1);
    for (int i = 0; i < bytes.size(); i += 4)
        block->SetElement(i, qFromLittleEndian<quint32>(bytes.constData() + i));
    ASSERT_TRUE(user->WriteBlock(*block));
    const auto back = user->CreateMemory(CAddressValue(0x20000), bytes.size(), 1);
    ASSERT_TRUE(user->ReadBlock(*back));
    for (int i = 0; i < bytes.size(); i += 4)
        EXPECT_EQ(back->Element(i), qFromLittleEndian<quint32>(bytes.constData() + i));

    user->RemoveBreakpoint(messageProc);
    user->Run();
    user->Halt();
    EXPECT_TRUE(ProcessEventsUntil([&] { return sink->halts.size() == 5; }));
#endif
}

// Each detach lets the target run; QEMU stops it when the next connection
// opens and announces that stop by itself, before anything was asked.
TEST(GdbQemu, EveryConnectionAfterADetachReadsTheTargetDescription)
{
    if (!QemuGdbServer::Unavailable().isEmpty())
        GTEST_SKIP() << QemuGdbServer::Unavailable().toStdString();
    QemuGdbServer qemu;
    ASSERT_TRUE(qemu.StartHere());
    SetupGdbServer setup = qemu.Setup();
    setup.start.clear();
    theGdbMonitor().SetRecording(true);
    for (int connection = 0; connection < 4; ++connection) {
        CGdbDspUser user(setup, *FindSubfamily(2), false);
        user.InvokeNamedMethod(CGdbDspUser::kTargetConnectId);
        QStringList sent;
        for (const GdbPacketRecord &record : theGdbMonitor().Records())
            sent.append(record.sent ? record.text : QString());
        EXPECT_TRUE(sent.contains(QStringLiteral("qXfer:features:read:target.xml:0,ffb"))) << connection;
        ReadWord(user, 0x100);
    }
    theGdbMonitor().SetRecording(false);
}

} // namespace
