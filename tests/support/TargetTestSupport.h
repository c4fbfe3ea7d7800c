#pragma once

#include "base/StatusText.h"
#include "base/TickClock.h"
#include "debugger/CommMessageReceiver.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <ostream>

// Lets test failures show texts as texts.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

// Runs the event loop until `done` holds; false when it did not within
// `limitMs` (a guard against a hang, never a wait the test relies on).
bool ProcessEventsUntil(const std::function<bool()> &done, int limitMs = 5000);
// Runs the events that are due now.
void ProcessPendingEvents();

// Counts halt notifications; runs `onMessage` in each when set.
class CountingReceiver : public ICommMessageReceiver {
public:
    void OnCommMessage() override;
    void OnCommFailure(const CAutomationError &error) override;

    int messages = 0;
    QStringList failures;
    std::function<void()> onMessage;
};

// A tick clock the test moves by hand; installed for its lifetime.
class ScopedFakeClock {
public:
    explicit ScopedFakeClock(quint32 start = 0);
    ~ScopedFakeClock();
    void Advance(quint32 ms);

private:
    class Clock;
    Clock *m_clock;
    std::unique_ptr<CTickClock> m_previous;
};

// Records every status-bar text; installed for its lifetime.
class ScopedStatusRecorder {
public:
    ScopedStatusRecorder();
    ~ScopedStatusRecorder();
    QStringList texts;

private:
    std::unique_ptr<CStatusText> m_previous;
};

// Sets an environment variable for one scope and restores it.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char *name, const QByteArray &value);
    ~ScopedEnvironment();

private:
    const char *m_name;
    bool m_bWasSet;
    QByteArray m_previous;
};

// A scratch folder that is the simulator's state folder and holds the setup
// and component files of a test; simulated work takes no time meanwhile.
class SimScratch {
public:
    SimScratch();
    ~SimScratch();
    QString Path(const QString &name) const { return m_dir.filePath(name); }
    // Writes a component file with the first line and `lines`; returns its path.
    QString WriteComponent(const QStringList &lines, const QString &name = QStringLiteral("cvtc.txt")) const;
    QString WriteFile(const QString &name, const QByteArray &text) const;

private:
    QTemporaryDir m_dir;
    bool m_bWasInstant;
    std::unique_ptr<ScopedEnvironment> m_stateFolder;
    std::unique_ptr<ScopedEnvironment> m_setup;
};
