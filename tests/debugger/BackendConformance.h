#pragma once

// The conformance suite every debugger backend passes, written once and
// instantiated per backend with a harness type:
//
//   class Harness {
//   public:
//       // The flash base the component answers when given "flash_base = kFlashBase".
//       static constexpr quint32 kFlashBase = ...;
//       // Whether the component file takes the simulator's "fault." keys.
//       static constexpr bool kInjectsLoadFaults = ...;
//       // The sub-families and byte orders the backend serves.
//       static QList<BackendTarget> Targets();
//       // Why the backend cannot be tested here; empty when it can.
//       QString Unavailable() const;
//       // A link connected to a processor of `subfamily` with that byte order.
//       std::unique_ptr<CTargetLink> Connect(qint32 subfamily, bool bigEndian);
//       // A target component file for this backend that behaves as the
//       // simulator's component file keys in `settings` say, as far as it can.
//       QString Component(const QStringList &settings);
//       // The bytes the component of the last connection received with SendUserData.
//       QByteArray UserDataSeen();
//   };
//   INSTANTIATE_TYPED_TEST_SUITE_P(Name, BackendConformance, testing::Types<Harness>);

#include "support/TargetTestSupport.h"

#include "base/MessageLog.h"
#include "wire/CommMessage.h"
#include "support/RecordingPrompter.h"
#include "debugger/Subfamily.h"
#include "debugger/TargetLink.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <memory>

// Every sub-family in both byte orders.
struct BackendTarget {
    qint32 subfamily;
    bool bigEndian;
    bool operator==(const BackendTarget &) const = default;
};

inline QList<BackendTarget> AllBackendTargets()
{
    QList<BackendTarget> targets;
    for (const SubfamilyInfo &info : KnownSubfamilies()) {
        targets.append({info.code, false});
        targets.append({info.code, true});
    }
    return targets;
}

template <class Harness>
class BackendConformance : public testing::Test {
protected:
    static constexpr quint16 kBufferBytes = 1024;

    void SetUp() override
    {
        const QString reason = harness.Unavailable();
        if (!reason.isEmpty())
            GTEST_SKIP() << reason.toStdString();
    }

    // `wanted` when the backend serves it, else its first target.
    static BackendTarget Served(const BackendTarget &wanted)
    {
        const QList<BackendTarget> targets = Harness::Targets();
        return targets.contains(wanted) ? wanted : targets.first();
    }

    // Connects, loads the component and lets it run to its first halt.
    std::unique_ptr<CTargetLink> Started(const BackendTarget &target, const QStringList &settings = {})
    {
        std::unique_ptr<CTargetLink> link = harness.Connect(target.subfamily, target.bigEndian);
        EXPECT_TRUE(link->IsCreated());
        const QString component = harness.Component(QStringList {QStringLiteral("buffer = %1").arg(kBufferBytes)}
                                                    + settings);
        EXPECT_TRUE(link->LoadTargetComponent(component));
        EXPECT_TRUE(link->IsLoaded());
        link->SetMaxDataBytes(kBufferBytes);
        link->SetNotifyWindow(&receiver);
        Exchange([&] { link->Resume(); });
        return link;
    }

    // Runs `send`, which lets the target run; the halt notification must
    // come afterwards, from the event loop.
    void Exchange(const std::function<void()> &send)
    {
        const int before = receiver.messages;
        send();
        EXPECT_EQ(receiver.messages, before) << "the halt arrived inside the call";
        EXPECT_TRUE(ProcessEventsUntil([&] { return receiver.messages > before; })) << "no halt";
        EXPECT_EQ(receiver.messages, before + 1);
    }

    static CommMessage Request(CommandCode code, std::initializer_list<quint32> params,
                               const QByteArray &data = {})
    {
        CommMessage request;
        request.SetCommand(code);
        request.SetParams(params);
        request.SetData(reinterpret_cast<const quint8 *>(data.constData()), data.size(), kBufferBytes);
        return request;
    }

    static QByteArray RandomBytes(int count)
    {
        QByteArray bytes(count, '\0');
        for (char &byte : bytes)
            byte = char(QRandomGenerator::global()->bounded(256));
        return bytes;
    }

    Harness harness;
    CountingReceiver receiver;
    ScopedRecordingPrompter prompter;
};

TYPED_TEST_SUITE_P(BackendConformance);

TYPED_TEST_P(BackendConformance, MessagesTravelByteForByteBothWays)
{
    for (const BackendTarget &target : TypeParam::Targets()) {
        SCOPED_TRACE(testing::Message() << std::hex << target.subfamily << (target.bigEndian ? " big" : " little"));
        const std::unique_ptr<CTargetLink> link =
            this->Started(target, {QStringLiteral("flash_base = 0x%1").arg(TypeParam::kFlashBase, 0, 16)});
        QByteArray sent;
        for (const int size : {1, 2, 3, 5, 6, 31, 256, 1023, 1024}) {
            const QByteArray data = this->RandomBytes(size);
            sent += data;
            this->Exchange([&] { link->SendMessage(this->Request(CommandCode::SendUserData, {quint32(size)}, data)); });
        }
        EXPECT_EQ(this->harness.UserDataSeen(), sent);

        const QByteArray pattern = this->RandomBytes(this->kBufferBytes - 1);
        this->Exchange([&] { link->SendHeader(this->Request(CommandCode::EraseFlash, {})); });
        this->Exchange([&] {
            link->SendMessage(this->Request(CommandCode::WriteFlash, {0, 0x40, quint32(pattern.size())}, pattern));
        });
        this->Exchange([&] {
            link->SendHeader(this->Request(CommandCode::ReadFlash, {0, 0x40, quint32(pattern.size())}));
        });
        CommMessage answer;
        link->ReceiveMessage(answer);
        EXPECT_TRUE(answer.IsAnswerTo(CommandCode::ReadFlash));
        EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(answer.Data()), pattern.size()), pattern);

        this->Exchange([&] { link->SendHeader(this->Request(CommandCode::GetFlashBase, {})); });
        CommMessage header;
        link->ReceiveHeader(header);
        EXPECT_TRUE(header.IsAnswerTo(CommandCode::GetFlashBase));
        EXPECT_EQ(header.Param32(0), TypeParam::kFlashBase);
    }
}

TYPED_TEST_P(BackendConformance, AHaltAwayFromTheBreakpointIsNoNotification)
{
    const std::unique_ptr<CTargetLink> link = this->Started(this->Served({0x64, false}), {QStringLiteral("erase_seconds = 5")});
    link->SendHeader(this->Request(CommandCode::EraseFlash, {}));
    link->HaltTarget();
    EXPECT_FALSE(link->IsLoaded());
    ProcessPendingEvents();
    EXPECT_EQ(this->receiver.messages, 1);
    // Resumed, the component finishes the request and stops at its breakpoint.
    this->Exchange([&] { link->Resume(); });
}

TYPED_TEST_P(BackendConformance, NotificationsGoToTheLastReceiverRegistered)
{
    const std::unique_ptr<CTargetLink> link = this->Started(this->Served({0x28, true}));
    CountingReceiver dialog;
    link->SetNotifyWindow(&dialog);
    link->SendHeader(this->Request(CommandCode::GetProtocolId, {}));
    EXPECT_TRUE(ProcessEventsUntil([&] { return dialog.messages == 1; }));
    link->ForgetNotifyWindow(&this->receiver);   // not registered: changes nothing
    link->SendHeader(this->Request(CommandCode::GetProtocolId, {}));
    EXPECT_TRUE(ProcessEventsUntil([&] { return dialog.messages == 2; }));
    link->ForgetNotifyWindow(&dialog);
    link->SendHeader(this->Request(CommandCode::GetProtocolId, {}));
    ProcessPendingEvents();
    EXPECT_EQ(dialog.messages, 2);
    EXPECT_EQ(this->receiver.messages, 1);
}

TYPED_TEST_P(BackendConformance, LoadFailuresAndMissingSymbols)
{
    if (!TypeParam::kInjectsLoadFaults)
        GTEST_SKIP() << "the backend's component file cannot inject load faults";
    struct Case {
        QString setting;
        bool loaded;
        QString lastRecord;
    };
    for (const Case &c : {Case {QStringLiteral("fault.load_error = 1"), false, QStringLiteral("(fault.load_error).\r\n")},
                          Case {QStringLiteral("fault.missing_symbol = doMessageProc"), true,
                                QStringLiteral("Failed to get BP addr\r\n")},
                          Case {QStringLiteral("fault.missing_symbol = theMessage"), true,
                                QStringLiteral("Failed to get msg storage addr\r\n")}}) {
        const BackendTarget target = this->Served({0x54, true});
        const std::unique_ptr<CTargetLink> link = this->harness.Connect(target.subfamily, target.bigEndian);
        theLog.Clear();
        EXPECT_FALSE(link->LoadTargetComponent(this->harness.Component({c.setting})));
        EXPECT_EQ(link->IsLoaded(), c.loaded) << c.setting.toStdString();
        EXPECT_TRUE(QString::fromUtf8(theLog.Buffer()).endsWith(c.lastRecord)) << theLog.Buffer().toStdString();
    }
}

REGISTER_TYPED_TEST_SUITE_P(BackendConformance, MessagesTravelByteForByteBothWays,
                            AHaltAwayFromTheBreakpointIsNoNotification, NotificationsGoToTheLastReceiverRegistered,
                            LoadFailuresAndMissingSymbols);
