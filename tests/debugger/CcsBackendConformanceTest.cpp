#include "BackendConformance.h"

#include <QDir>
#include <QFile>

namespace {

// Connects through CCS Scripting's bridge to a processor of the fake CCS
// installation (tests/ccs), whose program file takes the simulator's component
// keys it knows.
class CcsHarness {
public:
    static constexpr quint32 kFlashBase = 0x3F0000;
    static constexpr bool kInjectsLoadFaults = false;   // the doubles' faults are tested end to end

    static QList<BackendTarget> Targets() { return {{0x28, true}, {0x55, true}, {0x64, false}, {0x64, true}, {2, false}}; }

    QString Unavailable() const { return {}; }

    std::unique_ptr<CTargetLink> Connect(qint32 subfamily, bool bigEndian)
    {
        const QString name = FindSubfamily(subfamily)->Name();
        m_scratch.WriteFile(QStringLiteral("board.ccxml"),
                            QStringLiteral("Debug Probe_0/CORE_%1 %1 %2\n").arg(name, bigEndian ? "big" : "little").toUtf8());
        m_scratch.WriteFile(QStringLiteral("setup.ini"),
                            QStringLiteral("[board Fake CCS]\n[processor CPU]\nkind = ccs\nccs_root = %1\nccxml = board.ccxml\n"
                                           "core = CORE_%2\nsubfamily = %2\nbyte_order = %3\napi = scripting\npython = python3\n")
                                .arg(QStringLiteral(CORVANE_SOURCE_DIR "/tests/ccs/fake-ccs"), name,
                                     bigEndian ? QStringLiteral("big") : QStringLiteral("little"))
                                .toUtf8());
        // Each connection a board of its own: the double appends user data to its state folder.
        m_strState = m_scratch.Path(QStringLiteral("ccs%1").arg(++m_nConnections));
        QDir().mkpath(m_strState);
        m_pState.reset();   // the previous value goes back before the next one is set
        m_pState = std::make_unique<ScopedEnvironment>("CORVANE_FAKE_CCS_STATE", m_strState.toUtf8());
        auto link = std::make_unique<CTargetLink>();
        qint32 family = 0;
        qint32 found = 0;
        link->Create(0, 0, family, found);
        return link;
    }

    // A slow erase stands for the simulator's long one, so that a halt can come before its end.
    QString Component(const QStringList &settings) const
    {
        QStringList lines = {QStringLiteral("# corvane fake ccs program"), QStringLiteral("theMessage = 0x8000"),
                             QStringLiteral("doMessageProc = 0x3000")};
        for (const QString &setting : settings) {
            lines.append(setting);
            if (setting.startsWith(QLatin1String("erase_seconds")))
                lines.append(QStringLiteral("erase_ms = 1500"));
        }
        return m_scratch.WriteFile(QStringLiteral("cvtc.out"), lines.join(u'\n').toUtf8() + '\n');
    }

    QByteArray UserDataSeen() const
    {
        QFile file(m_strState + QStringLiteral("/userdata.bin"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    SimScratch m_scratch;
    int m_nConnections = 0;
    QString m_strState;
    std::unique_ptr<ScopedEnvironment> m_pState;
};

} // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Ccs, BackendConformance, testing::Types<CcsHarness>);
