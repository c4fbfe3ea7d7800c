#include "base/MessageLog.h"
#include "debugger/sim/SimMonitor.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Window tests run with a widget application, offscreen unless a platform is
// named (listing the tests needs no display either), and with settings of their
// own: each test program keeps its profile in a folder that no other run shares.
int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir configFolder;
    qputenv("XDG_CONFIG_HOME", configFolder.path().toUtf8());
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Corvane"));
    QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
    // As in the desktop program, whose simulator window lists the exchanges.
    theSimMonitor().SetRecordingExchanges(true);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    theLog.Clear();
    return result;
}
