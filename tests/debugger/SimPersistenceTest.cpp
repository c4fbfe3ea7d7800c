#include "support/TargetTestSupport.h"

#include "base/SignalExit.h"
#include "wire/CommMessage.h"
#include "debugger/TargetLink.h"
#include "debugger/sim/SimFlash.h"
#include "debugger/sim/SimStateFolder.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QByteArray kData("persisted", 9);

// Connects to "Board (CPU)", loads the component and programs kData at offset 0.
std::unique_ptr<CTargetLink> Programmed(const SimScratch &scratch, CountingReceiver &receiver)
{
    scratch.WriteFile(QStringLiteral("setup.ini"), "[board Board]\n[processor CPU]\nkind = sim\nsubfamily = 55x\n");
    auto link = std::make_unique<CTargetLink>();
    qint32 family = 0;
    qint32 subfamily = 0;
    if (!link->Create(0, 0, family, subfamily) || !link->LoadTargetComponent(scratch.WriteComponent({})))
        return nullptr;
    link->SetNotifyWindow(&receiver);
    link->Resume();
    CommMessage request;
    request.SetCommand(CommandCode::WriteFlash);
    request.SetParams({0, 0, quint32(kData.size())});
    request.SetData(reinterpret_cast<const quint8 *>(kData.constData()), kData.size(), 256);
    ProcessEventsUntil([&] { return receiver.messages == 1; });
    link->SendMessage(request);
    ProcessEventsUntil([&] { return receiver.messages == 2; });
    return link;
}

QByteArray StoredFlash()
{
    CSimFlash flash(CSimStateFolder::FlashPath(QStringLiteral("Board"), QStringLiteral("CPU")), quint32(kData.size()));
    return flash.Read(0, kData.size());
}

TEST(SimPersistence, FlashOutlivesTheConnection)
{
    SimScratch scratch;
    CountingReceiver receiver;
    ASSERT_TRUE(Programmed(scratch, receiver));
    EXPECT_EQ(StoredFlash(), kData);
}

TEST(SimPersistence, FlashIsSavedWhenARunEndsBySignal)
{
    SimScratch scratch;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // As the program's unattended run: SIGTERM ends the event loop, then
        // the objects of the run end in order.
        CSignalExit signalExit;
        QObject::connect(&signalExit, &CSignalExit::Received, [](int) { QCoreApplication::exit(1); });
        {
            CountingReceiver receiver;
            const std::unique_ptr<CTargetLink> link = Programmed(scratch, receiver);
            QTimer::singleShot(0, [] { ::kill(::getpid(), SIGTERM); });
            if (!link || QCoreApplication::exec() != 1)
                ::_exit(2);
        }
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(StoredFlash(), kData);
}

} // namespace
