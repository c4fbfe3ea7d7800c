#include "QemuGdbServer.h"

#include "support/TargetTestSupport.h"

#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

constexpr qint64 kFlashBytes = qint64(64) << 20;

// A port nothing listens on now.
quint16 FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

} // namespace

QemuGdbServer::QemuGdbServer()
{
    const QString flash = FlashFile();
    QFile file(flash);
    if (file.open(QIODevice::WriteOnly))
        file.resize(kFlashBytes);
    m_setup.host = QStringLiteral("127.0.0.1");
    m_setup.port = FreePort();
    m_setup.start = {QStringLiteral("qemu-system-arm"), QStringLiteral("-M"), QStringLiteral("versatilepb"),
                     QStringLiteral("-m"), QStringLiteral("128M"), QStringLiteral("-nographic"),
                     QStringLiteral("-monitor"), QStringLiteral("none"), QStringLiteral("-serial"),
                     QStringLiteral("none"), QStringLiteral("-audiodev"), QStringLiteral("none,id=silent"),
                     QStringLiteral("-S"), QStringLiteral("-gdb"),
                     QStringLiteral("tcp:127.0.0.1:%1").arg(m_setup.port), QStringLiteral("-drive"),
                     QStringLiteral("if=pflash,format=raw,file=") + flash};
}

QemuGdbServer::~QemuGdbServer()
{
    Kill();
}

QString QemuGdbServer::FlashFile() const
{
    return m_dir.filePath(QStringLiteral("flash.bin"));
}

bool QemuGdbServer::StartHere()
{
    m_process.start(m_setup.start.first(), m_setup.start.mid(1));
    if (!m_process.waitForStarted())
        return false;
    return ProcessEventsUntil([this] {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, m_setup.port);
        return probe.waitForConnected(100);
    });
}

void QemuGdbServer::Kill()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished();
}

QString QemuGdbServer::Unavailable()
{
    if (QStandardPaths::findExecutable(QStringLiteral("qemu-system-arm")).isEmpty())
        return QStringLiteral("qemu-system-arm is not installed");
    return {};
}

QString QemuGdbServer::SetupLines() const
{
    QString lines = QStringLiteral("kind = gdb\nsubfamily = ARM9\naddress = 127.0.0.1:%1\n").arg(m_setup.port);
    if (m_process.state() != QProcess::NotRunning)
        return lines;
    QStringList start;
    for (const QString &argument : m_setup.start)
        start.append(u'"' + argument + u'"');
    return lines + QStringLiteral("start = %1\n").arg(start.join(u' '));
}
