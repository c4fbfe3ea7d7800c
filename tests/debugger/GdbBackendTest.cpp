#include "FakeGdbServer.h"
#include "support/TestElf.h"
#include "support/TargetTestSupport.h"

#include "base/MessageLog.h"
#include "debugger/AddressValue.h"
#include "debugger/AutomationError.h"
#include "debugger/DspMemory.h"
#include "debugger/DspUserEvents.h"
#include "debugger/ExchangeMonitor.h"
#include "debugger/Subfamily.h"
#include "debugger/gdb/GdbDspUser.h"
#include "debugger/gdb/GdbPacketReader.h"

#include <QRandomGenerator>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr quint32 kBreakpoint = 0x2000;

class RecordingSink : public IDspUserEvents {
public:
    void OnLoadFinished(const QString &error) override { loads.append(error); }
    void OnHalted(const std::shared_ptr<IDspValue> &location) override { halts.append(location->Number()); }
    void OnTargetLost(const QString &reason) override { losses.append(reason); }
    QStringList loads;
    QList<quint32> halts;
    QStringList losses;
};

// A processor of `server`, not yet connected.
std::shared_ptr<CGdbDspUser> UserOf(const FakeGdbServer &server, qint32 timeoutMs = 5000)
{
    SetupGdbServer setup;
    setup.host = QStringLiteral("127.0.0.1");
    setup.port = server.Port();
    setup.timeoutMs = timeoutMs;
    return std::make_shared<CGdbDspUser>(setup, *FindSubfamily(2), false);
}

// A processor connected to a fake server.
struct Connection {
    explicit Connection(FakeGdbServer::Options options, qint32 timeoutMs = 5000)
        : server(std::move(options))
        , user(UserOf(server, timeoutMs))
    {
        user->Advise(sink);
    }
    void Open() { user->InvokeNamedMethod(CGdbDspUser::kTargetConnectId); }
    QString Where() const { return QStringLiteral("GDB server 127.0.0.1:%1").arg(server.Port()); }
    // The packets received that start with `prefix`.
    QList<QByteArray> Sent(const QByteArray &prefix) const
    {
        QList<QByteArray> found;
        for (const QByteArray &packet : server.Received()) {
            if (packet.startsWith(prefix))
                found.append(packet);
        }
        return found;
    }
    void Run()
    {
        const qsizetype before = sink->halts.size();
        user->Run();
        EXPECT_EQ(sink->halts.size(), before) << "the halt arrived inside Run";
        EXPECT_TRUE(ProcessEventsUntil([&] { return sink->halts.size() > before; }));
    }

    FakeGdbServer server;
    std::shared_ptr<CGdbDspUser> user;
    std::shared_ptr<RecordingSink> sink = std::make_shared<RecordingSink>();
};

FakeGdbServer::Options Scripted(FakeGdbServer::Script script)
{
    FakeGdbServer::Options options;
    options.script = std::move(script);
    return options;
}

// Raises the automation error of `call` and returns its text.
QString ErrorOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const CAutomationError &error) {
        return error.Text();
    }
    return QStringLiteral("(no error)");
}

QByteArray Awkward(int count)
{
    QByteArray bytes(count, '\0');
    for (int i = 0; i < count; ++i)
        bytes[i] = "#$}*\x03\x00"[i % 6] ^ char(QRandomGenerator::global()->bounded(2) ? 0 : i);
    return bytes;
}

void Write(Connection &c, quint32 address, const QByteArray &bytes)
{
    const auto block = c.user->CreateMemory(CAddressValue(address), bytes.size(), 1);
    for (int i = 0; i + 4 <= bytes.size(); i += 4)
        block->SetElement(i, qFromLittleEndian<quint32>(bytes.constData() + i));
    ASSERT_TRUE(c.user->WriteBlock(*block));
}

QByteArray Read(Connection &c, quint32 address, int count)
{
    const auto block = c.user->CreateMemory(CAddressValue(address), count, 1);
    EXPECT_TRUE(c.user->ReadBlock(*block));
    QByteArray bytes(count, '\0');
    for (int i = 0; i + 4 <= count; i += 4)
        qToLittleEndian(block->Element(i), bytes.data() + i);
    return bytes;
}

TEST(GdbBackend, MemoryTravelsInPacketsTheServerTakes)
{
    struct Case {
        QByteArray supported;
        bool binaryWrite;
        QByteArray writeCommand;
    };
    for (const Case &c : {Case {"PacketSize=100;QStartNoAckMode+", true, "X"},
                          Case {"PacketSize=100;QStartNoAckMode+", false, "M"},
                          Case {"PacketSize=3fff", true, "X"},   // acknowledged throughout
                          Case {"", false, "M"}}) {
        SCOPED_TRACE(c.supported.toStdString() + " " + c.writeCommand.toStdString());
        FakeGdbServer::Options options;
        options.supported = c.supported;
        options.binaryWrite = c.binaryWrite;
        Connection connection(options);
        connection.Open();
        const QByteArray bytes = Awkward(1000);
        Write(connection, 0x8000, bytes);
        EXPECT_EQ(connection.server.Memory(0x8000, bytes.size()), bytes);
        EXPECT_EQ(Read(connection, 0x8000, bytes.size()), bytes);

        const QList<QByteArray> probes = connection.Sent("X8000,0:");
        EXPECT_EQ(probes.size(), 1);
        const qsizetype packetSize = c.supported.startsWith("PacketSize=")
                                         ? c.supported.mid(11).split(';')[0].toLongLong(nullptr, 16)
                                         : 400;
        for (const QByteArray &packet : connection.server.Received())
            EXPECT_LE(FakeGdbServer::Frame(packet).size(), packetSize) << packet.left(20).toStdString();
        EXPECT_GE(connection.Sent(c.writeCommand).size(), c.writeCommand == "X" ? 2 : 1);
    }
}

TEST(GdbBackend, BreakpointsFallBackToHardwareOnes)
{
    for (const bool software : {true, false}) {
        FakeGdbServer::Options options;
        options.softwareBreakpoints = software;
        Connection c(options);
        c.Open();
        c.user->SetBreakpoint(CAddressValue(kBreakpoint));
        c.user->SetBreakpoint(CAddressValue(0x3000));
        c.user->RemoveBreakpoint(CAddressValue(kBreakpoint));
        const QByteArray type = software ? "0" : "1";
        EXPECT_EQ(c.Sent("Z" + type).size(), 2);
        EXPECT_EQ(c.Sent("z"), QList<QByteArray> {"z" + type + ",2000,4"});
        EXPECT_EQ(c.Sent("Z0").size(), software ? 2 : 1);   // the first refusal is remembered
    }
}

TEST(GdbBackend, EachResumeStepsOffTheBreakpointAndStopsThereOnce)
{
    FakeGdbServer::Options options;
    options.pc = 0x1000;
    for (const auto &[vCont, expeditedPc] : {std::pair {true, false}, {false, false}, {true, true}}) {
        options.vCont = vCont;
        options.expeditedPc = expeditedPc;
        Connection c(options);
        c.Open();
        c.user->SetBreakpoint(CAddressValue(kBreakpoint));
        for (int i = 0; i < 3; ++i)
            c.Run();
        EXPECT_EQ(c.sink->halts, (QList<quint32> {kBreakpoint, kBreakpoint, kBreakpoint}));
        const QByteArray cont = vCont ? "vCont;c" : "c";
        const QByteArray step = vCont ? "vCont;s" : "s";
        EXPECT_EQ(c.Sent(cont).size(), 3);
        EXPECT_EQ(c.Sent(step).size(), 2);   // not from the entry, which has no breakpoint
        const QList<QByteArray> received = c.server.Received();
        const qsizetype lastStep = received.lastIndexOf(step);
        EXPECT_EQ(received.mid(lastStep - 1, 4), (QList<QByteArray> {"z0,2000,4", step, "Z0,2000,4", cont}));
        EXPECT_EQ(c.Sent("p").size(), expeditedPc ? 0 : 4);   // once per stop, unless the stop reply gave it
    }
}

TEST(GdbBackend, StopRepliesAndTheirEvents)
{
    struct Case {
        QByteArray reply;
        bool halted;
        const char *lost = nullptr;   // at once, and from every later call; %1 the server
        bool acknowledged = false;    // the stop comes with the acknowledgement of the resume
        bool idle = false;            // instead: after the answer to the last request of connecting, not resumed
    };
    for (const Case &test : {Case {"T05thread:01;", true}, Case {"S02", true}, Case {"T05", true, nullptr, true},
                             Case {"O48690a", true},   // output first, then the stop
                             Case {"W00", false, "The target of %1 exited with status 00."},
                             Case {"X09", false, "The target of %1 ended with signal 09."},
                             Case {FakeGdbServer::kClose, false, "%1 closed the connection."},
                             Case {FakeGdbServer::kClose, false, "%1 closed the connection.", false, true}}) {
        SCOPED_TRACE(test.reply.toStdString() + (test.idle ? " idle" : ""));
        FakeGdbServer::Options options = Scripted([test](const QByteArray &packet) -> std::optional<QByteArray> {
            if (packet != (test.idle ? "?" : "vCont;c"))
                return std::nullopt;
            const QByteArray answer = test.idle ? FakeGdbServer::kUsual : QByteArray();
            if (test.reply == FakeGdbServer::kClose)
                return answer + test.reply;
            return answer + FakeGdbServer::Frame(test.reply) + (test.reply.startsWith('O') ? FakeGdbServer::Frame("T05") : "");
        });
        if (test.acknowledged)
            options.supported = "PacketSize=400";
        Connection c(options);
        c.Open();
        if (!test.idle)
            c.user->Run();
        EXPECT_TRUE(c.sink->halts.isEmpty());
        ProcessEventsUntil([&] { return !c.sink->halts.isEmpty() || !c.sink->losses.isEmpty(); });
        EXPECT_EQ(c.sink->halts.size(), test.halted ? 1 : 0);
        const QString lost = QString::fromLatin1(test.lost).arg(c.Where());
        EXPECT_EQ(c.sink->losses, test.lost ? QStringList {lost} : QStringList {});
        if (test.lost) {
            EXPECT_EQ(ErrorOf([&] { c.user->Run(); }), lost);
        }
    }
}

TEST(GdbBackend, HaltInterruptsARunningTarget)
{
    Connection c {FakeGdbServer::Options {}};
    c.Open();
    c.user->Halt();   // stopped already: nothing
    c.user->Run();    // no breakpoint: runs on
    c.user->Halt();
    EXPECT_EQ(c.Sent("\x03").size(), 2);   // the first on connecting
    EXPECT_TRUE(c.sink->halts.isEmpty());
    EXPECT_TRUE(ProcessEventsUntil([&] { return c.sink->halts.size() == 1; }));
    EXPECT_EQ(c.sink->halts.first(), 0x1000u);
}

// Writes `bytes` into a file in `folder`; returns its path.
QString ProgramFile(const QTemporaryDir &folder, const QByteArray &bytes)
{
    QFile file(folder.filePath(QStringLiteral("program.elf")));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return file.fileName();
}

TEST(GdbBackend, LoadWritesPhysicalSegmentsSetsThePcAndKeepsTheSymbols)
{
    struct Case {
        QByteArray supported;
        bool singleRegisters;
        QByteArray read;
        QByteArray write;
    };
    for (const Case &test : {Case {"qXfer:features:read+", true, "p1a", "P1a=00000100"},
                             Case {"qXfer:features:read+", false, "g", "G"}, Case {"", true, "pf", "Pf=00000100"},
                             Case {"PacketSize=100", true, "pf", "Pf="},   // "G" (341 bytes) would not fit
                             Case {"PacketSize=160", false, "g", "G"}}) {
        SCOPED_TRACE(test.supported.toStdString() + (test.singleRegisters ? " p" : " g"));
        FakeGdbServer::Options options;
        options.supported = test.supported;
        options.singleRegisters = test.singleRegisters;
        Connection c(options);
        c.Open();
        QTemporaryDir folder;
        ASSERT_TRUE(c.user->LoadProgram(ProgramFile(folder, TestElf().bytes)));
        EXPECT_TRUE(c.sink->loads.isEmpty());
        EXPECT_TRUE(ProcessEventsUntil([&] { return !c.sink->loads.isEmpty(); }));
        EXPECT_EQ(c.sink->loads, QStringList {QString()});
        EXPECT_EQ(c.server.Memory(TestElf::kText, 8), QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08"));
        EXPECT_EQ(c.server.Memory(TestElf::kData, TestElf::kDataMemoryBytes + 1),
                  QByteArray("\x11\x22\x33\x44") + QByteArray(12, '\0') + '\xEE');
        EXPECT_FALSE(c.Sent(test.write).isEmpty());
        EXPECT_TRUE(c.Sent(test.write == "G" ? "P" : "G").size() <= (test.write == "G" ? 1 : 0));   // probed once
        CAddressValue value(0);
        EXPECT_TRUE(c.user->FindSymbol(QStringLiteral("theMessage"), value));
        EXPECT_EQ(value.Number(), TestElf::kData);
        EXPECT_EQ(c.user->EvaluateSymbol(QStringLiteral("doMessageProc"), value), 0);
        EXPECT_EQ(value.Number(), TestElf::kMessageProc);

        c.user->Run();
        c.user->Halt();
        EXPECT_TRUE(ProcessEventsUntil([&] { return c.sink->halts.size() == 1; }));
        EXPECT_EQ(c.sink->halts.value(0), TestElf::kEntry);
        EXPECT_FALSE(c.Sent(test.read).isEmpty());
    }
}

TEST(GdbBackend, AFileThatIsNoArmProgramFinishesTheLoadWithTheReason)
{
    Connection c {FakeGdbServer::Options {}};
    c.Open();
    QTemporaryDir folder;
    TestElf elf;
    elf.Put16(18, 62);
    const QString path = ProgramFile(folder, elf.bytes);
    ASSERT_TRUE(c.user->LoadProgram(path));
    EXPECT_TRUE(ProcessEventsUntil([&] { return !c.sink->loads.isEmpty(); }));
    EXPECT_EQ(c.sink->loads.value(0), path + QStringLiteral(" is not an ELF file for ARM: it is for machine 62, not ARM (40)."));
    CAddressValue value(0);
    EXPECT_FALSE(c.user->FindSymbol(QStringLiteral("theMessage"), value));
    EXPECT_FALSE(c.user->LoadProgram(folder.filePath(QStringLiteral("missing.elf"))));
}

TEST(GdbBackend, FailuresSayWhatHappenedAndWhere)
{
    const QByteArray noAnswer = "";
    struct Case {
        const char *name;
        FakeGdbServer::Script script;
        QString expected;   // after "GDB server 127.0.0.1:PORT "
        bool ackMode = false;
        bool lost = false;   // the connection is gone: announced as lost after the failure
    };
    const auto onRead = [](QByteArray raw) {
        return [raw](const QByteArray &packet) -> std::optional<QByteArray> {
            return packet.startsWith('m') ? std::optional<QByteArray>(raw) : std::nullopt;
        };
    };
    const QList<Case> cases {
        {"garbage", onRead("HTTP/1.1 400 Bad Request\r\n"),
         QStringLiteral("does not speak the GDB remote protocol: it sent \"HTTP/1.1 400 Bad Request\\x0d\\x0a\".")},
        {"checksum", onRead("$00000000#00"), QStringLiteral("sent a packet with a wrong checksum: \"00000000\".")},
        {"too long", onRead('$' + QByteArray(64 << 10, '0')),   // refused before its end
         QStringLiteral("sent a packet longer than 4096 bytes.")},
        {"exited", onRead(FakeGdbServer::Frame("W00")), QStringLiteral("exited with status 00.")},
        {"cut off", onRead("$0000" + FakeGdbServer::kClose),
         QStringLiteral("closed the connection in the middle of a packet."), false, true},
        {"closed", onRead(FakeGdbServer::kClose), QStringLiteral("closed the connection."), false, true},
        {"error", onRead(FakeGdbServer::Frame("E14")), QStringLiteral("answered \"m8000,4\" with error E14.")},
        {"silence", onRead(noAnswer), QStringLiteral("did not answer \"m8000,4\" within 0.3 seconds.")},
        {"unknown", onRead(FakeGdbServer::Frame("")), QStringLiteral("does not support \"m8000,4\".")},
        {"nonsense", onRead(FakeGdbServer::Frame("zz")),
         QStringLiteral("answered \"m8000,4\" with \"zz\", which is no answer to it.")},
        {"rejected", onRead("-"), QStringLiteral("rejected \"m8000,4\" 4 times."), true},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(test.name);
        FakeGdbServer::Options options = Scripted(test.script);
        if (test.ackMode)
            options.supported = "PacketSize=400";
        Connection c(options, 300);
        c.Open();
        const auto block = c.user->CreateMemory(CAddressValue(0x8000), 4, 1);
        theLog.Clear();
        QString text;
        if (QString(test.name) == QLatin1String("error")) {
            EXPECT_FALSE(c.user->ReadBlock(*block));   // the target refuses: logged
            text = QString::fromUtf8(theLog.Buffer()).trimmed();
        } else {
            text = ErrorOf([&] { c.user->ReadBlock(*block); });
        }
        EXPECT_TRUE(text.endsWith(c.Where() + u' ' + test.expected)) << text.toStdString();
        if (test.lost) {
            EXPECT_TRUE(ProcessEventsUntil([&] { return !c.sink->losses.isEmpty(); }));
            EXPECT_EQ(c.sink->losses, QStringList {text});
        }
    }
}

TEST(GdbBackend, APcThatFitsNoPacketIsAnError)
{
    FakeGdbServer::Options options;
    options.supported = "PacketSize=100";
    options.singleRegisters = false;
    Connection c(options);
    c.Open();
    QTemporaryDir folder;
    EXPECT_EQ(ErrorOf([&] { c.user->LoadProgram(ProgramFile(folder, TestElf().bytes)); }),
              c.Where() + QStringLiteral(" takes packets of at most 256 bytes, too few for \"G") + QString(59, u'0')
                  + QStringLiteral("... (337 bytes)\" (341 bytes)."));
    EXPECT_TRUE(c.Sent("G").isEmpty());
}

// One server, connected to again and again: its target left running by the
// last detach (it answers nothing until interrupted), stopped by the
// connection with a stop reply (as QEMU), or stopping by itself while the
// connection starts. Each connection reads the right memory.
TEST(GdbBackend, EachConnectionStartsCleanlyWhateverTheServerLeft)
{
    const QList<QByteArray> handshake {"qSupported", "QStartNoAckMode", "vCont?", "qXfer", "?", "m"};
    const auto stopping = [&handshake, connections = std::make_shared<int>(0)](const QByteArray &packet) {
        if (packet.startsWith("qSupported"))
            ++*connections;
        const bool before = packet.startsWith(handshake[*connections % handshake.size()]);
        return before ? std::optional<QByteArray>(FakeGdbServer::Frame("T05thread:01;") + FakeGdbServer::kUsual)
                      : std::nullopt;
    };
    for (const bool stopOnConnect : {false, true}) {
        for (const bool stopsByItself : {false, true}) {
            SCOPED_TRACE(std::string(stopOnConnect ? "stop on connect" : "busy") + (stopsByItself ? ", stopping" : ""));
            FakeGdbServer::Options options;
            options.stopOnConnect = stopOnConnect;
            if (stopsByItself)
                options.script = stopping;
            FakeGdbServer server(options);
            server.SetMemory(0x8000, "\x12\x34\x56\x78");
            for (int i = 0; i < 2 * handshake.size(); ++i) {
                const auto user = UserOf(server, 1000);
                user->InvokeNamedMethod(CGdbDspUser::kTargetConnectId);
                const auto block = user->CreateMemory(CAddressValue(0x8000), 4, 1);
                ASSERT_TRUE(user->ReadBlock(*block));
                EXPECT_EQ(block->Element(0), 0x78563412u);
            }
        }
    }
}

TEST(GdbBackend, ARefusedConnectionIsAnError)
{
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 port = probe.serverPort();
    probe.close();
    SetupGdbServer setup;
    setup.host = QStringLiteral("127.0.0.1");
    setup.port = port;
    CGdbDspUser user(setup, *FindSubfamily(2), false);
    EXPECT_EQ(ErrorOf([&] { user.InvokeNamedMethod(CGdbDspUser::kTargetConnectId); }),
              QStringLiteral("Cannot connect to GDB server 127.0.0.1:%1: Connection refused.").arg(port));
    EXPECT_EQ(ErrorOf([&] { user.Run(); }), QStringLiteral("GDB server 127.0.0.1:%1 is not connected.").arg(port));
}

TEST(GdbBackend, AServerThatCannotBeStartedIsAnError)
{
    struct Case {
        QStringList start;
        QString expected;   // with %1 for the address
        const char *logged;
    };
    for (const Case &test : {
             Case {{QStringLiteral("/nonexistent/gdbserver")},
                   QStringLiteral("Cannot start the GDB server \"/nonexistent/gdbserver\": "), ""},
             Case {{QStringLiteral("sh"), QStringLiteral("-c"), QStringLiteral("echo no probe found; exit 3")},
                   QStringLiteral("The GDB server \"sh\" ended with exit code 3 before %1 accepted a connection."),
                   "no probe found"},
             Case {{QStringLiteral("sleep"), QStringLiteral("30")},
                   QStringLiteral("The GDB server \"sleep\" did not accept a connection at %1 within 0.3 seconds."), ""},
         }) {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        SetupGdbServer setup;
        setup.host = QStringLiteral("127.0.0.1");
        setup.port = probe.serverPort();
        setup.start = test.start;
        setup.startTimeoutMs = 300;
        probe.close();
        CGdbDspUser user(setup, *FindSubfamily(2), false);
        theLog.Clear();
        const QString text = ErrorOf([&] { user.InvokeNamedMethod(CGdbDspUser::kTargetConnectId); });
        EXPECT_TRUE(text.startsWith(test.expected.arg(QStringLiteral("127.0.0.1:%1").arg(setup.port))))
            << text.toStdString();
        EXPECT_TRUE(theLog.Buffer().contains(test.logged));
    }
}

TEST(GdbBackend, TheMonitorRecordsEachPacket)
{
    theGdbMonitor().SetRecording(true);
    int recorded = 0;
    const QMetaObject::Connection counting =
        QObject::connect(&theGdbMonitor(), &CExchangeMonitor::Recorded, [&] { ++recorded; });
    {
        Connection c {FakeGdbServer::Options {}};
        c.Open();
        EXPECT_EQ(theGdbMonitor().Server(), QStringLiteral("127.0.0.1:%1").arg(c.server.Port()));
        Write(c, 0x8000, QByteArray(200, 'x'));
        const QList<ExchangeRecord> &records = theGdbMonitor().Records();
        ASSERT_GE(records.size(), 5);
        EXPECT_EQ(records[0].text, QStringLiteral("\\x03"));
        EXPECT_TRUE(records[1].sent);
        EXPECT_EQ(records[1].text, QStringLiteral("qSupported:swbreak+;hwbreak+"));
        EXPECT_FALSE(records[2].sent);
        EXPECT_EQ(records[2].text, QStringLiteral("PacketSize=400;QStartNoAckMode+;qXfer:features:read+"));
        EXPECT_TRUE(records[records.size() - 2].text.endsWith(QStringLiteral("... (209 bytes)")));
        EXPECT_EQ(recorded, records.size());
    }
    EXPECT_TRUE(theGdbMonitor().Server().isEmpty());
    EXPECT_TRUE(theGdbMonitor().Records().isEmpty());
    QObject::disconnect(counting);
    theGdbMonitor().SetRecording(false);
}

} // namespace
