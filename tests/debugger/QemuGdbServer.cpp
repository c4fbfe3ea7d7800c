#include "QemuGdbServer.h"

#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>

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
    const QString flash = m_dir.filePath(QStringLiteral("flash.bin"));
    QFile file(flash);
    if (file.open(QIODevice::WriteOnly))
        file.resize(kFlashBytes);
    m_setup.host = QStringLiteral("127.0.0.1");
    m_setup.port = FreePort();
    m_setup.start = {QStringLiteral("qemu-system-arm"), QStringLiteral("-M"), QStringLiteral("versatilepb"),
                     QStringLiteral("-m"), QStringLiteral("128M"), QStringLiteral("-nographic"),
                     QStringLiteral("-monitor"), QStringLiteral("none"), QStringLiteral("-serial"),
                     QStringLiteral("none"), QStringLiteral("-S"), QStringLiteral("-gdb"),
                     QStringLiteral("tcp:127.0.0.1:%1").arg(m_setup.port), QStringLiteral("-drive"),
                     QStringLiteral("if=pflash,format=raw,file=") + flash};
}

QString QemuGdbServer::Unavailable()
{
    if (QStandardPaths::findExecutable(QStringLiteral("qemu-system-arm")).isEmpty())
        return QStringLiteral("qemu-system-arm is not installed");
    return {};
}

QString QemuGdbServer::SetupLines() const
{
    QStringList start;
    for (const QString &argument : m_setup.start)
        start.append(u'"' + argument + u'"');
    return QStringLiteral("kind = gdb\nsubfamily = ARM9\naddress = 127.0.0.1:%1\nstart = %2\n")
        .arg(m_setup.port)
        .arg(start.join(u' '));
}
