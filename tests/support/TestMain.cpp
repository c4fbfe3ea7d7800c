#include "app/DebuggerBackends.h"
#include "base/MessageLog.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

// Test programs run with an application object, as the program does, and never
// leave a log file behind.
int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    CDebuggerBackends::RegisterAll();
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    theLog.Clear();
    return result;
}
