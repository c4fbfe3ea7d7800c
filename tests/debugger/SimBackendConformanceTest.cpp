#include "BackendConformance.h"

#include "debugger/sim/SimStateFolder.h"

#include <QFile>

namespace {

// Connects to simulated boards through a setup file in a scratch folder.
class SimHarness {
public:
    static constexpr quint32 kFlashBase = 0x12345678;
    static constexpr bool kInjectsLoadFaults = true;

    static QList<BackendTarget> Targets() { return AllBackendTargets(); }
    QString Unavailable() const { return {}; }

    std::unique_ptr<CTargetLink> Connect(qint32 subfamily, bool bigEndian)
    {
        m_board = QStringLiteral("Conformance %1 %2")
                      .arg(FindSubfamily(subfamily)->Name(), bigEndian ? QStringLiteral("big") : QStringLiteral("little"));
        m_scratch.WriteFile(QStringLiteral("setup.ini"),
                            QStringLiteral("[board %1]\n[processor CPU]\nkind = sim\nsubfamily = %2\nbyte_order = %3\n")
                                .arg(m_board, FindSubfamily(subfamily)->Name(),
                                     bigEndian ? QStringLiteral("big") : QStringLiteral("little"))
                                .toUtf8());
        auto link = std::make_unique<CTargetLink>();
        qint32 family = 0;
        qint32 found = 0;
        link->Create(0, 0, family, found);
        return link;
    }

    QString Component(const QStringList &settings)
    {
        return m_scratch.WriteComponent(settings, QStringLiteral("cvtc%1.txt").arg(++m_nComponents));
    }

    QByteArray UserDataSeen() const
    {
        QFile file(CSimStateFolder::UserDataPath(m_board, QStringLiteral("CPU")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    SimScratch m_scratch;
    QString m_board;
    int m_nComponents = 0;
};

} // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Simulator, BackendConformance, testing::Types<SimHarness>);
