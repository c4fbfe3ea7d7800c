#include "CcsInstallation.h"

#include "base/FileName.h"
#include "debugger/AutomationError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

CCcsInstallation::CCcsInstallation(const SetupCcs &setup)
    : m_setup(setup)
{
}

QString CCcsInstallation::SitePackages() const
{
    return m_setup.root + QStringLiteral("/ccs/scripting/python/site-packages");
}

QString CCcsInstallation::DssScript() const
{
    return m_setup.root + QStringLiteral("/ccs/ccs_base/scripting/bin/dss.sh");
}

// The interface asked for; "automatic" takes CCS Scripting where the installation has it, else DSS.
SetupCcs::Api CCcsInstallation::Api() const
{
    if (m_setup.api != SetupCcs::Api::Automatic)
        return m_setup.api;
    if (QFileInfo(SitePackages() + QStringLiteral("/scripting")).isDir())
        return SetupCcs::Api::Scripting;
    if (QFileInfo(DssScript()).isFile())
        return SetupCcs::Api::Dss;
    return SetupCcs::Api::Automatic;
}

// The setup's interpreter, else the one CCS ships, else python3 from PATH.
QString CCcsInstallation::Python() const
{
    if (!m_setup.python.isEmpty())
        return m_setup.python;
    const QString shipped = m_setup.root + QStringLiteral("/ccs/tools/python/bin/python3");
    return QFileInfo(shipped).isExecutable() ? shipped : QStringLiteral("python3");
}

CCcsInstallation::Launch CCcsInstallation::BridgeLaunch() const
{
    switch (Api()) {
    case SetupCcs::Api::Scripting:
        if (!QFileInfo(SitePackages() + QStringLiteral("/scripting")).isDir())
            throw CAutomationError::Described(
                QStringLiteral("CCS scripting not found in %1.").arg(QDir::toNativeSeparators(SitePackages())));
        return {QStringLiteral("scripting"), Python(),
                {BridgeFile(QString::fromLatin1(kScriptingBridge)), SitePackages()}};
    case SetupCcs::Api::Dss:
        if (!QFileInfo(DssScript()).isFile())
            throw CAutomationError::Described(
                QStringLiteral("CCS DSS not found: %1 does not exist.").arg(QDir::toNativeSeparators(DssScript())));
        return {QStringLiteral("dss"), DssScript(), {BridgeFile(QString::fromLatin1(kDssBridge))}};
    case SetupCcs::Api::Automatic:
        break;
    }
    throw CAutomationError::Described(QStringLiteral("CCS scripting not found in %1, nor DSS as %2.")
                                          .arg(QDir::toNativeSeparators(SitePackages()),
                                               QDir::toNativeSeparators(DssScript())));
}

QString CCcsInstallation::BridgeFile(const QString &name)
{
    const QString here = QCoreApplication::applicationDirPath();
    const QStringList candidates = {here + u'/' + name, QDir::cleanPath(here + QStringLiteral("/../share/corvane/") + name)};
    for (const QString &candidate : candidates) {
        if (CFileName::Exists(candidate))
            return candidate;
    }
    throw CAutomationError::Described(QStringLiteral("The CCS bridge %1 is not installed: neither %2 nor %3 exists.")
                                          .arg(name, QDir::toNativeSeparators(candidates[0]),
                                               QDir::toNativeSeparators(candidates[1])));
}

QString CCcsInstallation::Description() const
{
    static const QStringList apis = {QStringLiteral("CCS (no scripting found)"), QStringLiteral("CCS scripting"),
                                     QStringLiteral("CCS DSS")};
    return QStringLiteral("%1 in %2, core %3 of %4")
        .arg(apis[int(Api())], QDir::toNativeSeparators(m_setup.root), m_setup.core,
             QDir::toNativeSeparators(m_setup.ccxml));
}
