#include "BackendConformance.h"
#include "support/QemuGdbServer.h"

#include "debugger/AddressValue.h"

#include <QFile>
#include <QtEndian>

namespace {

#ifdef CORVANE_CVTC_ARM926_ELF
const QString kComponent = QStringLiteral(CORVANE_CVTC_ARM926_ELF);
#else
const QString kComponent;
#endif

// Connects to a QEMU versatilepb board that Corvane starts through the setup
// file, and downloads the reference target component for ARM926 to it.
class QemuHarness {
public:
    static constexpr quint32 kFlashBase = 0x34000000;
    static constexpr bool kInjectsLoadFaults = false;

    static QList<BackendTarget> Targets() { return {{2, false}}; }

    QString Unavailable() const
    {
        if (kComponent.isEmpty() || !QFile::exists(kComponent))
            return QStringLiteral("the reference target component for ARM926 is not built");
        return QemuGdbServer::Unavailable();
    }

    std::unique_ptr<CTargetLink> Connect(qint32, bool)
    {
        m_pQemu = std::make_unique<QemuGdbServer>();
        m_scratch.WriteFile(QStringLiteral("setup.ini"),
                            (QStringLiteral("[board QEMU]\n[processor ARM926]\n") + m_pQemu->SetupLines()).toUtf8());
        auto link = std::make_unique<CTargetLink>();
        qint32 family = 0;
        qint32 subfamily = 0;
        link->Create(0, 0, family, subfamily);
        m_pLink = link.get();
        return link;
    }

    QString Component(const QStringList &) const { return kComponent; }

    // theUserDataLength bytes of theUserData.
    QByteArray UserDataSeen() const
    {
        const QByteArray length = Symbol(QStringLiteral("theUserDataLength"), 4);
        return length.size() == 4 ? Symbol(QStringLiteral("theUserData"), qint32(qFromLittleEndian<quint32>(length.constData())))
                                  : QByteArray();
    }

private:
    QByteArray Symbol(const QString &name, qint32 count) const
    {
        CAddressValue value(0);
        QByteArray bytes(count + 3, '\0');
        if (!m_pLink->LocateSymbol(name, value)
            || !m_pLink->ReadMemory(CTargetLink::kMessagePage, value.Number(),
                                    {reinterpret_cast<quint8 *>(bytes.data()), size_t(bytes.size())}, count))
            return {};
        return bytes.left(count);
    }

    SimScratch m_scratch;
    std::unique_ptr<QemuGdbServer> m_pQemu;
    CTargetLink *m_pLink = nullptr;
};

} // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Qemu, BackendConformance, testing::Types<QemuHarness>);
