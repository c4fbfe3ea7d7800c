#pragma once

#include <QString>

#include <memory>

// The status-bar text of the main window. Unattended runs have no status bar;
// their status text is only kept.
class CStatusText {
public:
    virtual ~CStatusText() = default;
    virtual void SetStatusText(const QString &text) = 0;
    virtual QString StatusText() const = 0;
};

// The program-wide status text; a plain holder until the main window installs its own.
CStatusText &theStatusText();
// Installs a status text and returns the previous one.
std::unique_ptr<CStatusText> InstallStatusText(std::unique_ptr<CStatusText> statusText);
