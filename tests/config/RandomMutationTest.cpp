#include "ConfigProperties.h"
#include "ContentsBuilder.h"
#include "config/CompoundFile.h"
#include "config/ContentsCodec.h"
#include "config/CorvaneDoc.h"
#include "config/TextConfig.h"
#include "support/RecordingPrompter.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QTemporaryDir>

#include <random>

#include <gtest/gtest.h>

namespace {

// Seeded mutations of valid inputs: the fuzzers' properties on every make test run.
class Mutator {
public:
    explicit Mutator(const QList<QByteArray> &seeds, quint32 seed = 20240521) : m_seeds(seeds), m_random(seed) {}

    QByteArray Next()
    {
        QByteArray bytes = m_seeds[Below(m_seeds.size())];
        const int steps = 1 + int(Below(4));
        for (int i = 0; i < steps; ++i)
            Mutate(bytes);
        return bytes;
    }

private:
    qsizetype Below(qsizetype bound) { return bound <= 0 ? 0 : qsizetype(m_random() % quint64(bound)); }

    void Mutate(QByteArray &bytes)
    {
        static const char interesting[] = {'\0', '\x01', '\x7F', '\x80', '\xFE', '\xFF', ' ', '\t', '\r', '\n', '#', '0', 'x', '-'};
        const qsizetype at = Below(bytes.size() + 1);
        switch (Below(6)) {
        case 0:  // flip one bit
            if (!bytes.isEmpty())
                bytes[Below(bytes.size())] ^= char(1 << Below(8));
            break;
        case 1:  // overwrite with a value that matters to the formats
            if (!bytes.isEmpty())
                bytes[Below(bytes.size())] = interesting[Below(sizeof interesting)];
            break;
        case 2:  // insert a few bytes
            bytes.insert(at, QByteArray(1 + Below(4), interesting[Below(sizeof interesting)]));
            break;
        case 3:  // drop a range
            bytes.remove(at, 1 + Below(8));
            break;
        case 4:  // cut short
            bytes.truncate(at);
            break;
        case 5:  // splice in part of another seed
        {
            const QByteArray &other = m_seeds[Below(m_seeds.size())];
            bytes.insert(at, other.mid(Below(other.size()), 1 + Below(16)));
            break;
        }
        }
    }

    QList<QByteArray> m_seeds;
    std::mt19937_64 m_random;
};

QList<QByteArray> ContentsSeeds()
{
    CDocumentFields full = CDocumentFields::NewDocument();
    full.m_strHexCmdFile = QString(300, u'h');
    full.m_strBurnFile = QStringLiteral("/my images/board ä.hex");
    full.m_bOverrideFlash = 1;
    full.m_nFlashBase = 0x80000000;
    return {
        CContentsCodec::Encode(CDocumentFields::NewDocument()),
        CContentsCodec::Encode(full),
        ContentsBuilder().U16(0).U16(0x54).U32(1).U32(2).Str("a").U32(3).Str("c").U16(1).Bytes(),
        ContentsBuilder().U16(2).Str("x").U16(0x54).U32(1).U32(2).Str("a").U32(3).Str("c").U16(1).U16(0).Bytes(),
        ContentsBuilder().U16(4).U8(0xFF).U16(0xFFFE).U8(2).Raw(QByteArray("\x3D\xD8\x00\xDE", 4)).Bytes(),
    };
}

QList<QByteArray> TextSeeds()
{
    CDocumentFields fields = CDocumentFields::NewDocument();
    fields.m_strBurnFile = QStringLiteral("my image.hex");
    QByteArray printed;
    CTextConfig::Format(fields, printed);
    return {
        printed,
        "# board\r\n1019 C:\\images\\board.hex\r\n1016\t0x100000  # base\r\n1039 0\r\n",
        "1064 Simulator 64x (CPU)\n1081 1\n1007 -0x54\n1017 1FH\n",
    };
}

void ExpectPropertyHolds(const QList<QByteArray> &seeds, std::string (*property)(const QByteArray &))
{
    Mutator mutator(seeds);
    for (int i = 0; i < 4000; ++i) {
        const QByteArray input = mutator.Next();
        ASSERT_EQ(property(input), std::string()) << "case " << i << ": " << input.toHex().constData();
    }
}

TEST(RandomMutation, ContentsCodecKeepsItsProperties)
{
    ExpectPropertyHolds(ContentsSeeds(), CheckContentsDecoding);
}

TEST(RandomMutation, TextConfigurationKeepsItsProperties)
{
    ExpectPropertyHolds(TextSeeds(), CheckTextConfigReading);
}

TEST(RandomMutation, DamagedCompoundFilesAreRefusedOrRead)
{
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("good.cdd"));
    ASSERT_EQ(CCompoundFile::WriteStream(good, CCorvaneDoc::kContentsStream, ContentsSeeds()[1]), QString());
    QFile goodFile(good);
    ASSERT_TRUE(goodFile.open(QIODevice::ReadOnly));
    Mutator mutator({goodFile.readAll()});

    const QString startFolder = QDir::currentPath();
    ScopedRecordingPrompter prompter;
    const QString path = dir.filePath(QStringLiteral("bad.cdd"));
    int opened = 0;
    for (int i = 0; i < 400; ++i) {
        QFile bad(path);
        ASSERT_TRUE(bad.open(QIODevice::WriteOnly | QIODevice::Truncate));
        bad.write(mutator.Next());
        bad.close();
        CCorvaneDoc document;
        const qsizetype before = prompter->messages.size();
        if (document.OnOpenDocument(path))
            ++opened;
        else
            EXPECT_GT(prompter->messages.size(), before) << "a refused file is reported";
    }
    QDir::setCurrent(startFolder);
    EXPECT_GT(opened, 0);
    EXPECT_LT(opened, 400);
}

} // namespace
