#include "FakeGdbServer.h"

#include <QHash>
#include <QMap>
#include <QMutexLocker>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtEndian>

namespace {

constexpr char kDescription[] =
    "<?xml version=\"1.0\"?><!DOCTYPE target SYSTEM \"gdb-target.dtd\"><target><architecture>arm</architecture>"
    "<xi:include href=\"core.xml\"/></target>";
constexpr char kCoreDescription[] =
    "<feature name=\"org.gnu.gdb.arm.core\"><reg name=\"r0\" bitsize=\"32\"/><reg name=\"r1\" bitsize=\"32\"/>"
    "<reg name=\"cpsr\" bitsize=\"32\" regnum=\"25\"/><reg name=\"pc\" bitsize=\"32\" type=\"code_ptr\"/></feature>";
constexpr int kDescribedPcNumber = 26;   // as the description above numbers it
constexpr int kArmPcNumber = 15;
constexpr int kArmPcOffset = kArmPcNumber * 4;
constexpr int kRegisterBytes = 168;       // r0-r15, eight FPA registers, fps, cpsr

QByteArray Hex(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes.toHex();
}

QByteArray Unescape(const QByteArray &data)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < data.size(); ++i)
        bytes.append(data[i] == '}' && i + 1 < data.size() ? char(data[++i] ^ 0x20) : data[i]);
    return bytes;
}

} // namespace

class FakeGdbServer::Worker : public QObject {
public:
    explicit Worker(Options options)
        : m_options(std::move(options))
        , m_nPc(m_options.pc)
        , m_nPcNumber(m_options.supported.contains("qXfer:features:read+") ? kDescribedPcNumber : kArmPcNumber)
    {
        for (const QByteArray &feature : m_options.supported.split(';')) {
            if (feature.startsWith("PacketSize="))
                m_nPacketSize = feature.mid(11).toLongLong(nullptr, 16);
        }
    }

    void Listen(quint16 &port)
    {
        m_server = new QTcpServer(this);
        m_server->listen(QHostAddress::LocalHost, 0);
        port = m_server->serverPort();
        connect(m_server, &QTcpServer::newConnection, this, [this] {
            m_socket = m_server->nextPendingConnection();
            m_buffer.clear();
            m_bAcks = true;
            connect(m_socket, &QTcpSocket::readyRead, this, [this] { OnReadable(); });
            if (m_options.stopOnConnect && m_bRunning)
                Stop(StopReply("02thread:01;"));
        });
    }

    void Write(const QByteArray &bytes)
    {
        if (m_socket)
            m_socket->write(bytes);
    }

    mutable QMutex mutex;
    QList<QByteArray> received;
    QHash<quint32, char> memory;

private:
    void OnReadable()
    {
        m_buffer += m_socket->readAll();
        for (;;) {
            while (!m_buffer.isEmpty() && (m_buffer[0] == '+' || m_buffer[0] == '-'))
                m_buffer.remove(0, 1);
            if (m_buffer.startsWith('\x03')) {
                m_buffer.remove(0, 1);
                Handle("\x03");
                continue;
            }
            const qsizetype end = m_buffer.indexOf('#');
            if (!m_buffer.startsWith('$') || end < 0 || m_buffer.size() < end + 3)
                return;
            const QByteArray packet = m_buffer.mid(1, end - 1);
            const bool intact = m_buffer.mid(end + 1, 2) == Frame(packet).right(2);
            m_buffer.remove(0, end + 3);
            if (intact)
                Handle(packet);
            else
                Refuse(packet);
        }
    }

    void Handle(const QByteArray &packet)
    {
        {
            QMutexLocker lock(&mutex);
            received.append(packet);
        }
        if (m_bRunning && packet != "\x03") {
            m_held.append(packet);
            return;
        }
        Answer(packet);
    }

    void Answer(const QByteArray &packet)
    {
        const std::optional<QByteArray> scripted = m_options.script ? m_options.script(packet) : std::nullopt;
        const std::optional<QByteArray> usual = !scripted || scripted->contains(kUsual) ? Usual(packet) : std::nullopt;
        const QByteArray framed = usual ? Frame(*usual) : QByteArray();
        QByteArray bytes = scripted ? QByteArray(*scripted).replace(kUsual, framed) : framed;
        const bool close = bytes.endsWith(kClose);
        if (close)
            bytes.chop(kClose.size());
        const bool acknowledge = m_bAcks && packet != "\x03" && !bytes.startsWith('-');
        Write((acknowledge ? "+" : "") + bytes);
        if (close)
            m_socket->disconnectFromHost();
        if (packet == "QStartNoAckMode")
            m_bAcks = false;
    }

    // A packet with a wrong checksum: resend, as a server in acknowledgement mode says.
    void Refuse(const QByteArray &packet)
    {
        {
            QMutexLocker lock(&mutex);
            received.append("(wrong checksum) " + packet);
        }
        Write("-");
    }

    // The running target stops: `reply` goes out, then the answers to the packets that waited.
    void Stop(const QByteArray &reply)
    {
        m_bRunning = false;
        Write(Frame(reply));
        for (const QByteArray &packet : std::exchange(m_held, {}))
            Answer(packet);
    }

    // The answer of the small target; nothing for packets that have none.
    std::optional<QByteArray> Usual(const QByteArray &packet)
    {
        if (m_nPacketSize > 0 && packet.size() > m_nPacketSize - 1)
            return "E01";
        if (packet.startsWith("qSupported"))
            return m_options.supported;
        if (packet == "QStartNoAckMode")
            return "OK";
        if (packet == "D") {
            m_bRunning = true;
            return "OK";
        }
        if (packet == "vCont?")
            return m_options.vCont ? "vCont;c;C;s;S" : "";
        if (packet.startsWith("qXfer:features:read:"))
            return Description(packet);
        if (packet == "?")
            return StopReply("05thread:01;");
        if (packet.startsWith('m'))
            return ReadMemory(packet);
        if (packet.startsWith('M') || packet.startsWith('X'))
            return WriteMemory(packet);
        if (packet.startsWith('p') || packet.startsWith('P') || packet == "g" || packet.startsWith('G'))
            return Registers(packet);
        if (packet.startsWith('Z') || packet.startsWith('z'))
            return Breakpoint(packet);
        if (packet == "c" || packet == "vCont;c")
            return Run();
        if (packet == "s" || packet == "vCont;s") {
            m_nPc += 4;
            return StopReply("05");
        }
        if (packet == "\x03") {
            if (m_bRunning)
                Stop(StopReply("02"));
            return std::nullopt;
        }
        return "";
    }

    // "T" and `signal`, with the pc when the options say so.
    QByteArray StopReply(const QByteArray &signal) const
    {
        const QByteArray pc = QByteArray::number(m_nPcNumber, 16) + ':' + Hex(m_nPc) + ';';
        return 'T' + signal + (m_options.expeditedPc ? pc : QByteArray());
    }

    QByteArray Description(const QByteArray &packet) const
    {
        const QList<QByteArray> parts = packet.split(':');
        const QByteArray text = parts.value(3) == "target.xml" ? kDescription : kCoreDescription;
        const QList<QByteArray> range = parts.value(4).split(',');
        const qsizetype offset = range.value(0).toLongLong(nullptr, 16);
        const qsizetype length = range.value(1).toLongLong(nullptr, 16);
        const QByteArray piece = text.mid(offset, length);
        return (offset + length >= text.size() ? "l" : "m") + piece;
    }

    QByteArray ReadMemory(const QByteArray &packet)
    {
        const QList<QByteArray> fields = packet.mid(1).split(',');
        const quint32 address = fields.value(0).toUInt(nullptr, 16);
        QByteArray bytes;
        QMutexLocker lock(&mutex);
        for (quint32 i = 0; i < fields.value(1).toUInt(nullptr, 16); ++i)
            bytes.append(memory.value(address + i, char(0xEE)));
        return bytes.toHex();
    }

    QByteArray WriteMemory(const QByteArray &packet)
    {
        if (packet.startsWith('X') && !m_options.binaryWrite)
            return "";
        const qsizetype colon = packet.indexOf(':');
        const QList<QByteArray> fields = packet.mid(1, colon - 1).split(',');
        const quint32 address = fields.value(0).toUInt(nullptr, 16);
        const QByteArray data = packet.startsWith('X') ? Unescape(packet.mid(colon + 1))
                                                       : QByteArray::fromHex(packet.mid(colon + 1));
        if (data.size() != fields.value(1).toLongLong(nullptr, 16))
            return "E01";
        QMutexLocker lock(&mutex);
        for (qsizetype i = 0; i < data.size(); ++i)
            memory.insert(address + quint32(i), data[i]);
        return "OK";
    }

    QByteArray Registers(const QByteArray &packet)
    {
        if (!m_options.singleRegisters && (packet[0] == 'p' || packet[0] == 'P'))
            return "";
        if (packet == "p" + QByteArray::number(m_nPcNumber, 16))
            return Hex(m_nPc);
        if (packet.startsWith("P" + QByteArray::number(m_nPcNumber, 16) + '=')) {
            m_nPc = qFromLittleEndian<quint32>(QByteArray::fromHex(packet.mid(packet.indexOf('=') + 1)).constData());
            return "OK";
        }
        if (packet == "g")
            return QByteArray(kArmPcOffset * 2, '0') + Hex(m_nPc) + QByteArray((kRegisterBytes - kArmPcOffset - 4) * 2, '0');
        if (packet.startsWith('G')) {
            m_nPc = qFromLittleEndian<quint32>(QByteArray::fromHex(packet.mid(1 + kArmPcOffset * 2, 8)).constData());
            return "OK";
        }
        return "E01";
    }

    QByteArray Breakpoint(const QByteArray &packet)
    {
        const QList<QByteArray> fields = packet.mid(1).split(',');
        if (fields.value(0) == "0" && !m_options.softwareBreakpoints)
            return "";
        const quint32 address = fields.value(1).toUInt(nullptr, 16);
        if (packet[0] == 'Z')
            m_breakpoints.insert(address, true);
        else
            m_breakpoints.remove(address);
        return "OK";
    }

    // Runs to the next breakpoint up from the pc, counting the pc itself
    // (a real target stops there at once), else round to the first one;
    // without one it runs on.
    std::optional<QByteArray> Run()
    {
        if (m_breakpoints.isEmpty()) {
            m_bRunning = true;
            return std::nullopt;
        }
        const auto next = m_breakpoints.lowerBound(m_nPc);
        m_nPc = next == m_breakpoints.end() ? m_breakpoints.firstKey() : next.key();
        return StopReply("05");
    }

    Options m_options;
    QTcpServer *m_server = nullptr;
    QTcpSocket *m_socket = nullptr;
    QByteArray m_buffer;
    bool m_bAcks = true;
    bool m_bRunning = false;
    QList<QByteArray> m_held;   // packets that came while the target ran
    qsizetype m_nPacketSize = 0;
    quint32 m_nPc;
    int m_nPcNumber;
    QMap<quint32, bool> m_breakpoints;
};

const QByteArray FakeGdbServer::kClose("\0close", 6);
const QByteArray FakeGdbServer::kUsual("\0usual", 6);

FakeGdbServer::FakeGdbServer(Options options)
    : m_thread(std::make_unique<QThread>())
    , m_worker(new Worker(std::move(options)))
{
    m_worker->moveToThread(m_thread.get());
    QObject::connect(m_thread.get(), &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread->start();
    QMetaObject::invokeMethod(m_worker, [this] { m_worker->Listen(m_nPort); }, Qt::BlockingQueuedConnection);
}

FakeGdbServer::~FakeGdbServer()
{
    m_thread->quit();
    m_thread->wait();
}

QList<QByteArray> FakeGdbServer::Received() const
{
    QMutexLocker lock(&m_worker->mutex);
    return m_worker->received;
}

QByteArray FakeGdbServer::Memory(quint32 address, qint32 count) const
{
    QMutexLocker lock(&m_worker->mutex);
    QByteArray bytes;
    for (qint32 i = 0; i < count; ++i)
        bytes.append(m_worker->memory.value(address + quint32(i), char(0xEE)));
    return bytes;
}

void FakeGdbServer::SetMemory(quint32 address, const QByteArray &bytes)
{
    QMutexLocker lock(&m_worker->mutex);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        m_worker->memory.insert(address + quint32(i), bytes[i]);
}

void FakeGdbServer::SendRaw(const QByteArray &bytes)
{
    QMetaObject::invokeMethod(m_worker, [this, bytes] { m_worker->Write(bytes); }, Qt::BlockingQueuedConnection);
}

QByteArray FakeGdbServer::Frame(const QByteArray &payload)
{
    quint8 sum = 0;
    for (const char c : payload)
        sum = quint8(sum + quint8(c));
    return '$' + payload + '#' + QByteArray::number(sum, 16).rightJustified(2, '0');
}
