#include "support/TargetTestSupport.h"

#include "wire/CommChecksum.h"
#include "wire/CommMessage.h"
#include "debugger/Subfamily.h"
#include "debugger/sim/SimFlash.h"
#include "debugger/sim/SimTargetComponent.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

CommMessage Request(CommandCode code, std::initializer_list<quint32> params = {}, const QByteArray &data = {})
{
    CommMessage request;
    request.SetCommand(code);
    request.SetParams(params);
    std::copy(data.begin(), data.end(), reinterpret_cast<char *>(request.Data()));
    request.SetDataLength(int(data.size()));
    return request;
}

QByteArray DataOf(const CommMessage &answer)
{
    return QByteArray(reinterpret_cast<const char *>(answer.Data()), answer.DataLength());
}

QByteArray Pattern(int count, int seed = 1)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes.append(char((i * 37 + seed) & 0xFF));
    return bytes;
}

// A component of `subfamily` over a fresh flash in a scratch folder.
struct Component {
    explicit Component(const SimComponentSettings &settings = {}, qint32 subfamily = 0x64)
        : flash(std::make_shared<CSimFlash>(scratch.Path(QStringLiteral("f.flash")), settings.flashSize))
        , component(settings, flash, *FindSubfamily(subfamily), scratch.Path(QStringLiteral("f.userdata")))
    {
    }

    CommMessage Ask(CommandCode code, std::initializer_list<quint32> params = {}, const QByteArray &data = {})
    {
        return component.Answer(Request(code, params, data));
    }

    SimScratch scratch;
    std::shared_ptr<CSimFlash> flash;
    CSimTargetComponent component;
};

TEST(SimTargetComponent, AnswersTheInformationRequests)
{
    SimComponentSettings settings;
    settings.protocol = 3;
    settings.buffer = 768;
    settings.versionMajor = 2;
    settings.versionMinor = 15;
    settings.flashBase = 0x12348000;
    settings.flashSize = 0x20000;
    settings.eraseSeconds = 7;
    settings.edit = 0;
    Component c(settings);
    struct Case {
        CommandCode code;
        std::vector<quint16> words;
    };
    for (const Case &k : {Case {CommandCode::GetProtocolId, {3}}, Case {CommandCode::GetMaxBufferSize, {768}},
                          Case {CommandCode::GetVersionId, {2, 15}}, Case {CommandCode::GetFlashBase, {0x1234, 0x8000}},
                          Case {CommandCode::GetFlashSize, {0x0002, 0x0000}}, Case {CommandCode::GetEraseEstimate, {7}},
                          Case {CommandCode::QueryEditSupport, {0}}}) {
        const CommMessage answer = c.Ask(k.code);
        EXPECT_TRUE(answer.IsAnswerTo(k.code));
        for (size_t i = 0; i < k.words.size(); ++i)
            EXPECT_EQ(answer.Param(int(i)), k.words[i]) << int(k.code) << " word " << i;
    }
    c.Ask(CommandCode::SetFlashBase, {0x0000, 0x4000});
    c.Ask(CommandCode::SetFlashSize, {0x0001, 0x0000});
    EXPECT_EQ(c.Ask(CommandCode::GetFlashBase).Param32(0), 0x4000u);
    EXPECT_EQ(c.Ask(CommandCode::GetFlashSize).Param32(0), 0x10000u);
}

TEST(SimTargetComponent, WritesReadsAndChecksumsTheFlash)
{
    Component c;
    const QByteArray data = Pattern(300);
    c.Ask(CommandCode::WriteFlash, {0, 0x100, 300}, data);
    EXPECT_EQ(DataOf(c.Ask(CommandCode::ReadFlash, {0, 0x100, 300})), data);
    CommChecksum expected(0);
    expected.Add(reinterpret_cast<const quint8 *>(data.constData()), data.size());
    EXPECT_EQ(c.Ask(CommandCode::GetChecksum, {0, 0x100, 0, 300}).Param(0), expected.Value());

    // Writing again without an erase keeps only bits that both values have.
    c.Ask(CommandCode::WriteFlash, {0, 0x100, 2}, QByteArray("\x0F\xF0", 2));
    EXPECT_EQ(DataOf(c.Ask(CommandCode::ReadFlash, {0, 0x100, 2})),
              QByteArray(1, char(data[0] & 0x0F)) + QByteArray(1, char(data[1] & 0xF0)));
    c.Ask(CommandCode::EraseFlash);
    EXPECT_EQ(DataOf(c.Ask(CommandCode::ReadFlash, {0, 0x100, 4})), QByteArray(4, char(0xFF)));
}

TEST(SimTargetComponent, OffsetsCountAddressUnits)
{
    Component c({}, 0x54);
    c.Ask(CommandCode::WriteFlash, {0, 0x10, 2}, QByteArray("\x12\x34", 2));
    EXPECT_EQ(c.flash->Read(0x20, 2), QByteArray("\x12\x34", 2));
    EXPECT_EQ(DataOf(c.Ask(CommandCode::ReadFlash, {0, 0x10, 2})), QByteArray("\x12\x34", 2));
}

TEST(SimTargetComponent, TransfersStopAtTheBuffer)
{
    SimComponentSettings settings;
    settings.buffer = 256;
    Component c(settings);
    c.Ask(CommandCode::WriteFlash, {0, 0, 400}, Pattern(400));
    EXPECT_EQ(c.flash->Read(0, 257), Pattern(256) + QByteArray(1, char(0xFF)));
    EXPECT_EQ(c.Ask(CommandCode::ReadFlash, {0, 0, 1000}).DataLength(), 256);
}

TEST(SimTargetComponent, TranslatesOffsetsToTargetAddresses)
{
    struct Case {
        qint32 subfamily;
        quint16 protocol;
        quint32 flashBase;
        quint32 firstAddress;
    };
    for (const Case &k : {Case {0x64, 4, 0x90000000, 0x90000100}, Case {0x54, 4, 0x8000, 0x8100},
                          Case {0x55, 4, 0x4000, 0x8100}, Case {0x55, 3, 0x4000, 0x4100}}) {
        SimComponentSettings settings;
        settings.protocol = k.protocol;
        settings.flashBase = k.flashBase;
        Component c(settings, k.subfamily);
        CommMessage request;
        request.SetCommand(CommandCode::TranslateAddresses);
        request.SetParam(0, 16);
        QList<quint32> offsets;
        for (quint32 row = 0; row < 16; ++row)
            offsets.append(0x100 + row * 16);
        request.SetAddressList(offsets);
        const CommMessage answer = c.component.Answer(request);
        EXPECT_TRUE(answer.IsAnswerTo(CommandCode::TranslateAddresses));
        const QList<quint32> addresses = answer.AddressList(16);
        EXPECT_EQ(addresses.first(), k.firstAddress) << std::hex << k.subfamily;
        EXPECT_EQ(addresses.last(), k.firstAddress + 15 * 16);
    }
}

TEST(SimTargetComponent, AppendsUserData)
{
    Component c;
    c.Ask(CommandCode::SendUserData, {3}, QByteArray("abcdef"));
    c.Ask(CommandCode::SendUserData, {1}, QByteArray("z"));
    QFile file(c.scratch.Path(QStringLiteral("f.userdata")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("abcz"));
}

TEST(SimTargetComponent, FaultsBehaveAsConfigured)
{
    SimComponentSettings settings;
    settings.wrongEcho = quint16(CommandCode::GetVersionId);
    settings.noAnswer = quint16(CommandCode::EraseFlash);
    settings.dropWrite = 2;
    settings.stuckBits = SimComponentSettings::StuckBits {5, 0x01};
    Component c(settings);
    EXPECT_EQ(c.Ask(CommandCode::GetVersionId).Command(), 0);
    EXPECT_EQ(c.Ask(CommandCode::GetVersionId).Param(0), 1);   // the answer itself is there
    EXPECT_TRUE(c.Ask(CommandCode::GetFlashSize).IsAnswerTo(CommandCode::GetFlashSize));
    EXPECT_TRUE(c.component.HangsAfter(Request(CommandCode::EraseFlash)));
    EXPECT_FALSE(c.component.HangsAfter(Request(CommandCode::WriteFlash)));

    c.Ask(CommandCode::WriteFlash, {0, 0, 1}, QByteArray("\x00", 1));
    c.Ask(CommandCode::WriteFlash, {0, 1, 1}, QByteArray("\x00", 1));   // answered, not performed
    c.Ask(CommandCode::WriteFlash, {0, 2, 1}, QByteArray("\x00", 1));
    EXPECT_EQ(DataOf(c.Ask(CommandCode::ReadFlash, {0, 0, 6})), QByteArray("\x00\xFF\x00\xFF\xFF\xFE", 6));
}

TEST(SimTargetComponent, DurationsFollowTheEraseTimeAndProgrammingSpeed)
{
    SimComponentSettings settings;
    settings.eraseSeconds = 3;
    settings.programKibPerSecond = 4;
    Component c(settings);
    EXPECT_EQ(c.component.DurationMs(Request(CommandCode::EraseFlash)), 3000);
    EXPECT_EQ(c.component.DurationMs(Request(CommandCode::WriteFlash, {0, 0, 2048})), 500);
    EXPECT_EQ(c.component.DurationMs(Request(CommandCode::GetChecksum)), 0);
    settings.programKibPerSecond = 0;
    Component instant(settings);
    EXPECT_EQ(instant.component.DurationMs(Request(CommandCode::WriteFlash, {0, 0, 2048})), 0);
}

} // namespace
