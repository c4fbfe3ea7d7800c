// The main window's position under a real window manager: an X server of the
// test's own (Xvfb) with openbox, and the program started again and again.
#include "support/CorvaneProcess.h"
#include "support/TargetTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr int kWaitMs = 30000;

// Ends a helper process by its pid and waits for it.
void Stop(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(kWaitMs)) {
        process.kill();
        process.waitForFinished();
    }
}

// Xvfb on a display number it finds free itself, and openbox managing it.
class WindowManagedDisplay : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char *program : {"Xvfb", "openbox", "xdotool"}) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty())
                GTEST_SKIP() << program << " is not installed (scripts/setup.sh installs it)";
        }
        ASSERT_TRUE(m_dir.isValid());
        m_xvfb.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                               QStringLiteral("-screen"), QStringLiteral("0"),
                                               QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                                               QStringLiteral("tcp")});
        ASSERT_TRUE(ProcessEventsUntil([&] { return m_xvfb.canReadLine(); }, kWaitMs)) << "Xvfb named no display";
        m_display = u':' + QString::fromLatin1(m_xvfb.readLine().trimmed());
        // openbox runs its start-up command once it manages the screen.
        const QString managing = m_dir.filePath(QStringLiteral("openbox-managing"));
        m_openbox.setProcessEnvironment(Environment());
        m_openbox.start(QStringLiteral("openbox"), {QStringLiteral("--startup"), QStringLiteral("touch ") + managing});
        ASSERT_TRUE(ProcessEventsUntil([&] { return QFile::exists(managing); }, kWaitMs)) << "openbox did not start";
        for (const char *name : {"board64x.txt", "cvtc64x.sim", "app.hex"})
            ASSERT_TRUE(QFile::copy(QStringLiteral(CORVANE_SOURCE_DIR "/examples/") + QLatin1String(name),
                                    m_dir.filePath(QLatin1String(name))));
    }

    void TearDown() override
    {
        Stop(m_openbox);
        Stop(m_xvfb);
    }

    QProcessEnvironment Environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), m_display);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
        return environment;
    }

    QString SettingsPath() const { return m_dir.filePath(QStringLiteral("config/Corvane/Corvane.conf")); }
    QString SavedPosition() const
    {
        return QSettings(SettingsPath(), QSettings::IniFormat).value(QStringLiteral("Main Window/Position")).toString();
    }

    // Runs xdotool with `arguments` and returns its output; empty when it failed.
    QByteArray Xdotool(const QStringList &arguments) const
    {
        QProcess xdotool;
        xdotool.setProcessEnvironment(Environment());
        xdotool.start(QStringLiteral("xdotool"), arguments);
        const bool done = xdotool.waitForFinished(kWaitMs) && xdotool.exitCode() == 0;
        Stop(xdotool);
        return done ? xdotool.readAllStandardOutput() : QByteArray();
    }

    // The first visible window of the process (--pid) or name (--name), once it shows.
    QByteArray ShownWindow(const QString &by, const QString &what) const
    {
        return Xdotool({QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"), by, what})
            .split('\n')
            .value(0);
    }

    // Starts the program on the example board, waits until its window is shown, and ends it as a user's signal would.
    void RunOnce()
    {
        QProcess corvane;
        StartCorvane(corvane, m_dir.path(), {QStringLiteral("board64x.txt"), QStringLiteral("-t")}, Environment());
        ASSERT_TRUE(corvane.waitForStarted(kWaitMs));
        const bool shown = !ShownWindow(QStringLiteral("--pid"), QString::number(corvane.processId())).isEmpty();
        Stop(corvane);
        ASSERT_TRUE(shown) << "the window did not show";
    }

    QTemporaryDir m_dir;
    QProcess m_xvfb;
    QProcess m_openbox;
    QString m_display;
};

// A position saved before the window system has framed the window, or a
// resize it takes for a move of the frame, shifts the window by its title
// bar; repeated at every start, the window creeps off the screen.
TEST_F(WindowManagedDisplay, TheWindowStartsWhereItEndedAcrossTwentyRestarts)
{
    QDir().mkpath(QFileInfo(SettingsPath()).path());
    QSettings(SettingsPath(), QSettings::IniFormat)
        .setValue(QStringLiteral("Main Window/Position"), QStringLiteral("0, 0, 550, 550"));

    // The first run grows the window to hold the form; its top left corner stays.
    RunOnce();
    const QString settled = SavedPosition();
    ASSERT_TRUE(settled.startsWith(QStringLiteral("0, 0, "))) << settled.toStdString();
    for (int start = 2; start <= 20; ++start) {
        RunOnce();
        ASSERT_EQ(SavedPosition().toStdString(), settled.toStdString()) << "after start " << start;
    }
}

// At scale 2 the 1280 × 1024 screen holds 640 × 512 logical pixels: the help
// window (640 × 520 and its frame) must shrink to open wholly on it.
TEST_F(WindowManagedDisplay, TheHelpWindowOpensWhollyOnTheScreenAtScaleTwo)
{
    QProcessEnvironment scaled = Environment();
    scaled.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
    QProcess corvane;
    StartCorvane(corvane, m_dir.path(), {QStringLiteral("board64x.txt"), QStringLiteral("-t")}, scaled);
    const QByteArray main = ShownWindow(QStringLiteral("--name"), QStringLiteral("^Corvane - "));
    ASSERT_FALSE(main.isEmpty()) << "the main window did not show";
    Xdotool({QStringLiteral("key"), QStringLiteral("--window"), QString::fromLatin1(main), QStringLiteral("F1")});
    const QByteArray help = ShownWindow(QStringLiteral("--name"), QStringLiteral("^Corvane Help$"));
    const QByteArray geometry = help.isEmpty() ? QByteArray()
                                               : Xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"),
                                                          QString::fromLatin1(help)});
    Stop(corvane);
    ASSERT_FALSE(geometry.isEmpty()) << "the help window did not show";
    QMap<QByteArray, int> values;
    for (const QByteArray &line : geometry.split('\n')) {
        if (const qsizetype equals = line.indexOf('='); equals > 0)
            values.insert(line.left(equals), line.mid(equals + 1).toInt());
    }
    // The client area: its frame adds a title bar and edges that must fit too.
    EXPECT_GE(values.value("X"), 0);
    EXPECT_GE(values.value("Y"), 0);
    EXPECT_LT(values.value("WIDTH"), 1280);
    EXPECT_LT(values.value("HEIGHT"), 1024 - 20);
}

} // namespace
