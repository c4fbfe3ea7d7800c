#include "app/MessageLog.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Window tests run with a widget application and settings of their own: each
// test program keeps its profile in a folder that no other run shares.
int main(int argc, char **argv)
{
    QTemporaryDir configFolder;
    qputenv("XDG_CONFIG_HOME", configFolder.path().toUtf8());
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    theLog.Clear();
    return result;
}
