#include "SignalExit.h"

#include <QSocketNotifier>

#include <csignal>
#include <utility>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

int g_pipe[2] = {-1, -1};
CSignalExit *g_instance = nullptr;

void OnSignal(int signalNumber)
{
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
}
} // namespace

CSignalExit::CSignalExit(QObject *parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0)
        return;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &CSignalExit::TakeSignal);
    g_instance = this;
    for (int signalNumber : kSignals)
        std::signal(signalNumber, OnSignal);
}

CSignalExit::~CSignalExit()
{
    if (!m_notifier)
        return;
    for (int signalNumber : kSignals)
        std::signal(signalNumber, SIG_DFL);
    g_instance = nullptr;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

// Never blocks: TakePending may have taken the byte the notifier saw.
bool CSignalExit::TakeSignal()
{
    unsigned char byte = 0;
    if (::recv(g_pipe[0], &byte, 1, MSG_DONTWAIT) != 1)
        return false;
    if (!std::exchange(m_bReceived, true))
        emit Received(byte);
    return true;
}

bool CSignalExit::TakePending()
{
    return g_instance && g_instance->TakeSignal();
}

QString CSignalExit::LogText(int signalNumber)
{
    return QStringLiteral("Run ended by signal %1.\r\n").arg(signalNumber);
}
