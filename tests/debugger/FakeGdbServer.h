#pragma once

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QThread>

#include <functional>
#include <memory>
#include <optional>

class QTcpServer;
class QTcpSocket;

// A GDB server for tests, on 127.0.0.1 and a free port, in a thread of its
// own (the client blocks on its socket while it waits for an answer). It
// serves a small ARM target: memory, the pc, breakpoints, and a program that
// runs from one breakpoint to the next one up. A test changes any answer
// with `script`, which sees each packet first (the interrupt as "\x03") and
// returns the raw bytes to send (kUsual in them stands for the usual answer),
// or nothing for the usual answer. The program loops: resumed, it runs to the
// next breakpoint up from the pc, and from the last one round to the first;
// without breakpoints, and after a detach, it runs on. While it runs, only
// the interrupt is answered (others wait until it stops), and only then. As
// QEMU, the server refuses a packet longer than its PacketSize less one with
// E01, and numbers the pc 15 unless its description says otherwise; its
// registers are QEMU's for ARM (168 bytes). A packet with a wrong checksum is
// answered "-".
class FakeGdbServer {
public:
    using Script = std::function<std::optional<QByteArray>(const QByteArray &packet)>;

    struct Options {
        QByteArray supported = "PacketSize=400;QStartNoAckMode+;qXfer:features:read+";
        bool binaryWrite = true;
        bool softwareBreakpoints = true;
        bool vCont = true;
        bool singleRegisters = true;
        quint32 pc = 0x1000;
        // As QEMU: a new connection stops a running target and says so ("T02thread:01;").
        bool stopOnConnect = false;
        // Stop replies give the pc ("T05thread:01;1a:00100000;").
        bool expeditedPc = false;
        Script script;
    };

    explicit FakeGdbServer(Options options);
    ~FakeGdbServer();

    quint16 Port() const { return m_nPort; }
    // The packets received so far, interrupts as "\x03".
    QList<QByteArray> Received() const;
    // The bytes of target memory at `address` (unwritten bytes read 0xEE).
    QByteArray Memory(quint32 address, qint32 count) const;
    void SetMemory(quint32 address, const QByteArray &bytes);
    // Sends raw bytes to the client from the server's thread.
    void SendRaw(const QByteArray &bytes);

    // "$payload#cs". While the client acknowledges, each packet gets its "+"
    // first, unless the script answers "-".
    static QByteArray Frame(const QByteArray &payload);
    // Ends scripted bytes to close the connection after sending them.
    static const QByteArray kClose;
    // In scripted bytes: the usual answer, framed.
    static const QByteArray kUsual;

private:
    class Worker;

    std::unique_ptr<QThread> m_thread;
    Worker *m_worker = nullptr;
    quint16 m_nPort = 0;
};
