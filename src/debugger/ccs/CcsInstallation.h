#pragma once

#include "debugger/SetupBoard.h"

#include <QString>
#include <QStringList>

// A CCS installation as the setup names it: which scripting interface it
// offers, and how the bridge for it is started.
class CCcsInstallation {
public:
    static constexpr auto kScriptingBridge = "corvane-ccs-bridge.py";
    static constexpr auto kDssBridge = "corvane-ccs-bridge.js";

    // The bridge's program, its arguments and the kind its greeting must say.
    struct Launch {
        QString bridge;   // "scripting" or "dss"
        QString program;
        QStringList arguments;
    };

    explicit CCcsInstallation(const SetupCcs &setup);

    // How to start the bridge; raises CAutomationError when the installation
    // lacks the interface the setup asks for or the bridge is not installed.
    Launch BridgeLaunch() const;
    // "CCS scripting in /opt/ti/ccs, core C28xx_CPU1 of /home/me/f28.ccxml", for the connection list.
    QString Description() const;

    // <ROOT>/ccs/scripting/python/site-packages
    QString SitePackages() const;
    // <ROOT>/ccs/ccs_base/scripting/bin/dss.sh
    QString DssScript() const;
    // The bridge file `name`: beside the program (a build), else in ../share/corvane (installed).
    static QString BridgeFile(const QString &name);

private:
    SetupCcs::Api Api() const;
    QString Python() const;

    SetupCcs m_setup;
};
