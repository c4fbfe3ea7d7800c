#include "TargetTestSupport.h"

#include "debugger/AutomationError.h"
#include "debugger/sim/SimComponentFile.h"
#include "debugger/sim/SimTiming.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>

bool ProcessEventsUntil(const std::function<bool()> &done, int limitMs)
{
    QDeadlineTimer limit(limitMs);
    while (!done()) {
        if (limit.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

void ProcessPendingEvents()
{
    QCoreApplication::processEvents();
}

void CountingReceiver::OnCommMessage()
{
    ++messages;
    if (onMessage)
        onMessage();
}

void CountingReceiver::OnCommFailure(const CAutomationError &error)
{
    failures.append(error.Text());
}

class ScopedFakeClock::Clock : public CTickClock {
public:
    quint32 Now() const override { return now; }
    quint32 now = 0;
};

ScopedFakeClock::ScopedFakeClock(quint32 start)
{
    auto clock = std::make_unique<Clock>();
    clock->now = start;
    m_clock = clock.get();
    m_previous = InstallTickClock(std::move(clock));
}

ScopedFakeClock::~ScopedFakeClock()
{
    InstallTickClock(std::move(m_previous));
}

void ScopedFakeClock::Advance(quint32 ms)
{
    m_clock->now += ms;
}

namespace {
class RecordingStatusText : public CStatusText {
public:
    explicit RecordingStatusText(QStringList &texts)
        : m_texts(texts)
    {
    }
    void SetStatusText(const QString &text) override { m_texts.append(text); }
    QString StatusText() const override { return m_texts.isEmpty() ? QString() : m_texts.last(); }

private:
    QStringList &m_texts;
};
} // namespace

ScopedStatusRecorder::ScopedStatusRecorder()
    : m_previous(InstallStatusText(std::make_unique<RecordingStatusText>(texts)))
{
}

ScopedStatusRecorder::~ScopedStatusRecorder()
{
    InstallStatusText(std::move(m_previous));
}

ScopedEnvironment::ScopedEnvironment(const char *name, const QByteArray &value)
    : m_name(name)
    , m_bWasSet(qEnvironmentVariableIsSet(name))
    , m_previous(qgetenv(name))
{
    qputenv(name, value);
}

ScopedEnvironment::~ScopedEnvironment()
{
    if (m_bWasSet)
        qputenv(m_name, m_previous);
    else
        qunsetenv(m_name);
}

SimScratch::SimScratch()
    : m_bWasInstant(CSimTiming::IsInstant())
    , m_stateFolder(std::make_unique<ScopedEnvironment>("CORVANE_SIM_DIR", m_dir.filePath("state").toUtf8()))
    , m_setup(std::make_unique<ScopedEnvironment>("CORVANE_SETUP", m_dir.filePath("setup.ini").toUtf8()))
{
    CSimTiming::SetInstant(true);
}

SimScratch::~SimScratch()
{
    CSimTiming::SetInstant(m_bWasInstant);
}

QString SimScratch::WriteFile(const QString &name, const QByteArray &text) const
{
    QFile file(m_dir.filePath(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
    return file.fileName();
}

QString SimScratch::WriteComponent(const QStringList &lines, const QString &name) const
{
    return WriteFile(name, (QStringList {CSimComponentFile::kFirstLine} + lines).join(u'\n').toUtf8());
}
