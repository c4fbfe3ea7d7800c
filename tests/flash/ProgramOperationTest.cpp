// The program operation without a target: where blocks land, the bounds
// rule, verification, the 54x boot address, and every way it can fail.
#include "FakeOperationHost.h"
#include "flash/ProgramOperation.h"
#include "support/TargetTestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// One S1 record at `address` holding `data`.
QByteArray S1(quint16 address, const QByteArray &data)
{
    QByteArray body;
    body.append(char(data.size() + 3)).append(char(address >> 8)).append(char(address)).append(data);
    quint8 sum = 0;
    for (char byte : body)
        sum += quint8(byte);
    return "S1" + body.toHex().toUpper() + QByteArray(1, char(~sum)).toHex().toUpper() + "\r\n";
}

QByteArray Image(const QByteArray &records)
{
    return "S00600004844521B\r\n" + records + "S9030000FC\r\n";
}

QByteArray Bytes(int count, int first = 1)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes.append(char(first + i));
    return bytes;
}

// A write the operation sent: target offset and byte count.
using Write = std::pair<quint32, int>;

struct ProgramCase {
    const char *name;
    QByteArray image;
    quint32 flashBase;
    quint32 flashSize;
    quint32 imageOffset;
    int addressingUnit;
    QList<Write> writes;
    QString failure;  // the start of the failure's text; empty when the run succeeds
};

class ProgramOperationTest : public testing::TestWithParam<ProgramCase> {
protected:
    CProgramJob Job(const QByteArray &image)
    {
        CProgramJob job;
        job.imagePath = m_dir.filePath(QStringLiteral("image.hex"));
        QFile file(job.imagePath);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(image);
        job.flashBase = 0x8000;
        job.flashSize = 0x1000;
        job.subfamily = 0x64;
        return job;
    }
    static QList<Write> Writes(const FakeOperationHost &host)
    {
        QList<Write> writes;
        for (const CommMessage &request : host.requests) {
            if (request.IsAnswerTo(CommandCode::WriteFlash))
                writes.append({request.Param32(0), request.Param(2)});
        }
        return writes;
    }
    void Run(const CProgramJob &job)
    {
        m_operation.SetJob(job);
        host.addressingUnit = job.addressingUnit;
        host.Run(m_operation);
    }

    QTemporaryDir m_dir;
    FakeOperationHost host;
    CProgramOperation m_operation {host};
};

TEST_P(ProgramOperationTest, BlocksLandAtTheirOffsetsWithinTheFlash)
{
    const ProgramCase &c = GetParam();
    CProgramJob job = Job(c.image);
    job.flashBase = c.flashBase;
    job.flashSize = c.flashSize;
    job.imageOffset = c.imageOffset;
    job.addressingUnit = c.addressingUnit;
    Run(job);
    EXPECT_EQ(Writes(host), c.writes);
    if (c.failure.isEmpty()) {
        EXPECT_TRUE(host.succeeded);
        EXPECT_FALSE(host.failure);
    } else {
        ASSERT_TRUE(host.failure);
        EXPECT_TRUE(host.failure->text.startsWith(c.failure)) << host.failure->text.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Placing, ProgramOperationTest,
    testing::Values(
        ProgramCase {"AtTheFlashBase", Image(S1(0x8000, Bytes(16))), 0x8000, 0x1000, 0, 1, {{0, 16}}, {}},
        ProgramCase {"MovedByTheImageOffset", Image(S1(0x8000, Bytes(16))), 0x8000, 0x1000, 0x20, 1, {{0x20, 16}}, {}},
        ProgramCase {"SplitAtTheMessageSize", Image(S1(0x8000, Bytes(50)) + S1(0x8032, Bytes(50, 51))), 0x8000,
                     0x1000, 0, 1, {{0, 64}, {64, 36}}, {}},
        ProgramCase {"EndingAtTheFlashEnd", Image(S1(0x8FF0, Bytes(16))), 0x8000, 0x1000, 0, 1, {{0xFF0, 16}}, {}},
        ProgramCase {"PastTheFlashEnd", Image(S1(0x8FF8, Bytes(16))), 0x8000, 0x1000, 0, 1, {},
                     QStringLiteral("WRITE ERROR: Attempting to write locations\r\n 0xff8 to 0x1008\r\n")},
        ProgramCase {"BelowTheFlashBase", Image(S1(0x7FF0, Bytes(16))), 0x8000, 0x1000, 0, 1, {},
                     QStringLiteral("WRITE ERROR: Attempting to write locations\r\n 0xfffffff0 to 0x0\r\n")},
        ProgramCase {"WordTargetCountsUnits", Image(S1(0x8010, Bytes(8))), 0x8000, 0x100, 0, 2, {{0x10, 8}}, {}},
        ProgramCase {"WordTargetPastHalfTheBytes", Image(S1(0x8080, Bytes(8))), 0x8000, 0x100, 0, 2, {},
                     QStringLiteral("WRITE ERROR: Attempting to write locations\r\n 0x80 to 0x84\r\nwhich is "
                                    "outside the logical bounds of Flash Memory:\r\n0 to 0x80\r\n")},
        ProgramCase {"BadDigitStopsTheImage", Image(S1(0x8000, Bytes(16)).replace(10, 1, "G")), 0x8000, 0x1000, 0,
                     1, {}, QStringLiteral("Programming stopped at an error in the image file.\r\n")}),
    [](const testing::TestParamInfo<ProgramCase> &info) { return std::string(info.param.name); });

TEST_F(ProgramOperationTest, AnImageErrorIsReportedBeforeTheStopAsItsCause)
{
    Run(Job(Image(S1(0x8000, Bytes(16)).replace(10, 1, "G"))));
    ASSERT_TRUE(host.failure && host.failure->cause);
    EXPECT_EQ(host.failure->cause->shown, CFailure::Shown::InMessageBox);
    EXPECT_TRUE(host.failure->cause->text.startsWith(QStringLiteral("Hex File Error")));
    EXPECT_TRUE(host.failure->cause->text.endsWith(QStringLiteral("\r\n%1, line 2").arg(Job({}).imagePath)))
        << host.failure->cause->text.toStdString();
    EXPECT_FALSE(host.abortable) << "the abort button goes with the failure";
}

TEST_F(ProgramOperationTest, VerificationComparesEveryBlockAndNamesTheOneThatDiffers)
{
    CProgramJob job = Job(Image(S1(0x8000, Bytes(16)) + S1(0x8040, Bytes(16))));
    job.verify = true;
    host.stuckByte = 0x45;
    Run(job);
    ASSERT_TRUE(host.failure);
    // The block is read back to say where it differs; a bit that reads 0 where the image has 1 needs an erase.
    EXPECT_TRUE(host.failure->text.endsWith(QStringLiteral(
        "address = 40, bytes = 10\r\n"
        "First difference at 0x8045: the image has 0x06, the flash holds 0x00.\r\n"
        "1 of 16 bytes of the block differ.\r\n"
        "Flash at 0x8045 needs erasing: it holds 0x00 where the image has 0x06.\r\n")))
        << host.failure->text.toStdString();
    EXPECT_EQ(Writes(host), (QList<Write> {{0, 16}, {0x40, 16}}));
}

TEST_F(ProgramOperationTest, ChangedOnlyWritesOnlyTheBlocksThatDiffer)
{
    const QByteArray first = Bytes(16);
    const QByteArray second = Bytes(16, 0x40);
    struct Case {
        const char *name;
        QByteArray flashAt0;      // the flash before the run, from offset 0 (0xFF beyond)
        QByteArray flashAt40;
        QList<Write> writes;
        qint64 skipped;
        QString failure;          // the end of the failure's text; empty when the run succeeds
    };
    const QByteArray cleared = QByteArray(first).replace(3, 1, QByteArray(1, '\0'));
    const Case cases[] = {
        {"Erased", {}, {}, {{0, 16}, {0x40, 16}}, 0, {}},
        {"FirstEqual", first, {}, {{0x40, 16}}, 16, {}},
        {"AllEqual", first, second, {}, 32, {}},
        {"NeedsErase", cleared, {}, {}, 0,
         QStringLiteral("Flash at 0x8003 needs erasing: it holds 0x00 where the image has 0x04.\r\n")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeOperationHost fresh;
        for (int i = 0; i < c.flashAt0.size(); ++i)
            fresh.flash[quint32(i)] = quint8(c.flashAt0[i]);
        for (int i = 0; i < c.flashAt40.size(); ++i)
            fresh.flash[0x40 + quint32(i)] = quint8(c.flashAt40[i]);
        CProgramOperation operation(fresh);
        CProgramJob job = Job(Image(S1(0x8000, first) + S1(0x8040, second)));
        job.changedOnly = true;
        job.verify = true;
        operation.SetJob(job);
        fresh.Run(operation);
        EXPECT_EQ(Writes(fresh), c.writes);
        if (c.failure.isEmpty()) {
            ASSERT_TRUE(fresh.succeeded);
            EXPECT_EQ(operation.Done().skipped, c.skipped);
            EXPECT_EQ(operation.Done().written + c.skipped, 32);
            EXPECT_EQ(operation.Done().verified, 32);
            EXPECT_EQ(fresh.flash.value(0x4F), 0x4F);
            EXPECT_TRUE(fresh.records.value(0).contains(
                QStringLiteral("Written: %1 bytes, skipped: %2 unchanged bytes.\r\n").arg(32 - c.skipped).arg(c.skipped)));
        } else {
            ASSERT_TRUE(fresh.failure);
            EXPECT_TRUE(fresh.failure->text.startsWith(QStringLiteral("Nothing was written")));
            EXPECT_TRUE(fresh.failure->text.endsWith(c.failure)) << fresh.failure->text.toStdString();
        }
    }
}

TEST_F(ProgramOperationTest, AVerifiedRunRecordsItsByteCount)
{
    CProgramJob job = Job(Image(S1(0x8000, Bytes(16))));
    job.verify = true;
    Run(job);
    EXPECT_TRUE(host.succeeded);
    ASSERT_EQ(host.records.size(), 1);
    EXPECT_TRUE(host.records[0].startsWith(QStringLiteral("Corvane of 16 bytes is complete.\r\n")));
}

TEST_F(ProgramOperationTest, The54xBootAddressFollowsTheImageOnlyWhenAsked)
{
    for (const bool writeBoot : {false, true}) {
        SCOPED_TRACE(writeBoot);
        FakeOperationHost fresh;
        CProgramOperation operation(fresh);
        CProgramJob job = Job(Image(S1(0x8000, Bytes(4))));
        job.subfamily = 0x54;
        job.addressingUnit = 2;
        job.flashSize = 0x8000;
        job.writeBootAddress = writeBoot;
        operation.SetJob(job);
        fresh.addressingUnit = 2;
        fresh.Run(operation);
        EXPECT_TRUE(fresh.succeeded);
        const CommMessage &last = fresh.requests.last();
        ASSERT_TRUE(last.IsAnswerTo(CommandCode::WriteFlash));
        EXPECT_EQ(last.Param32(0), writeBoot ? 0xFFFFu - 0x8000u : 0u);
        if (writeBoot) {
            EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(last.Data()), 2), QByteArray("\x80\x00", 2));
        }
    }
}

TEST_F(ProgramOperationTest, FailuresEndTheOperationWithTheirText)
{
    struct Case {
        const char *name;
        std::function<void(CProgramJob &, FakeOperationHost &)> breakIt;
        QString text;
        CFailure::Shown shown;
        QString cause;  // shown before the failure; empty when none
    };
    const Case cases[] = {
        {"RefusedWrite", [](CProgramJob &, FakeOperationHost &h) { h.refuseWrites = true; },
         QStringLiteral("Failed to write"), CFailure::Shown::InMessageBox, {}},
        {"NoImage", [](CProgramJob &j, FakeOperationHost &) { j.imagePath.clear(); },
         QStringLiteral("No (.hex) file was specified.\r\nChoose a (.hex) file and click Program Flash"),
         CFailure::Shown::InMessageBox, {}},
        {"MissingImage", [](CProgramJob &j, FakeOperationHost &) { j.imagePath += QStringLiteral(".gone"); },
         QStringLiteral("Cannot Open File for Burning.\r\n%1: No such file or directory\r\n")
             .arg(m_dir.filePath(QStringLiteral("image.hex.gone"))),
         CFailure::Shown::InLog, {}},
        {"NotAnImage", [this](CProgramJob &j, FakeOperationHost &) { j = Job("plain text\r\n"); },
         QStringLiteral("Not a hex file.\r\nUse Hex Conversion Utility.\r\n"), CFailure::Shown::InLog, {}},
        {"CcsDataOfAnotherFormat", [this](CProgramJob &j, FakeOperationHost &) { j = Job("1651 2 0 0 1\r\n0x1\r\n"); },
         QStringLiteral("Not a hex file.\r\nUse Hex Conversion Utility.\r\n"), CFailure::Shown::InLog,
         QStringLiteral("Corvane can only read CCS Saved Data in Hex Format.\r\nPlease re-format the data.")},
        // The read-back's own failure comes first, then the checksum error it was to explain.
        {"BlockNotReadBack",
         [](CProgramJob &j, FakeOperationHost &h) {
             j.verify = true;
             h.stuckByte = 3;
             h.wrongEcho = CommandCode::ReadFlash;
         },
         QStringLiteral("Checksum Error: host checksum = 88, flash checksum = 84, address = 0, bytes = 10\r\n"),
         CFailure::Shown::InLog, QStringLiteral("Cannot deal with unexpected response: 0\r\n")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeOperationHost fresh;
        CProgramOperation operation(fresh);
        CProgramJob job = Job(Image(S1(0x8000, Bytes(16))));
        c.breakIt(job, fresh);
        operation.SetJob(job);
        fresh.Run(operation);
        ASSERT_TRUE(fresh.failure);
        EXPECT_EQ(fresh.failure->text, c.text);
        EXPECT_EQ(fresh.failure->shown, c.shown);
        EXPECT_EQ(fresh.failure->cause ? fresh.failure->cause->text : QString(), c.cause);
        EXPECT_FALSE(fresh.succeeded);
        EXPECT_FALSE(fresh.abortable);
    }
}

TEST_F(ProgramOperationTest, AnAbortEndsTheOperationAtTheNextTick)
{
    host.answeredRequests = 2;  // base and size answered; the first write never is
    Run(Job(Image(S1(0x8000, Bytes(16)))));
    EXPECT_EQ(Writes(host), (QList<Write> {{0, 16}}));
    EXPECT_TRUE(host.abortable);
    m_operation.OnTick();
    EXPECT_FALSE(host.abandoned) << "without an abort a tick does nothing";
    host.abortRequested = true;
    m_operation.OnTick();
    EXPECT_TRUE(host.abandoned);
    EXPECT_FALSE(host.abortable);
    EXPECT_FALSE(host.succeeded);
    EXPECT_EQ(m_operation.Done().written, 0) << "the write was never answered";

    // Comparing, the operation looks for an abort after each block read back.
    FakeOperationHost comparing;
    comparing.abortRequested = true;
    CProgramOperation operation(comparing);
    CProgramJob job = Job(Image(S1(0x8000, Bytes(16))));
    job.changedOnly = true;
    operation.SetJob(job);
    comparing.Run(operation);
    EXPECT_TRUE(comparing.abandoned);
    EXPECT_TRUE(Writes(comparing).isEmpty());
}

} // namespace
