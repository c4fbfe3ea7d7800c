#pragma once

#include <QString>

#include <functional>
#include <memory>

class CFlashSession;

// The form's side of the flash memory view: the window is made by the desktop
// program; the form creates it once, tells it whether editing is allowed and shows it.
class CFlashViewHost {
public:
    virtual ~CFlashViewHost() = default;
    virtual void SetEditSupport(bool allowed) = 0;
    virtual void ShowView(const QString &title) = 0;
};

// Makes the flash memory view over a flash session for a flash of `flashSizeBytes`, starting at page offset 0.
using FlashViewFactory = std::function<std::unique_ptr<CFlashViewHost>(CFlashSession &session, quint32 flashSizeBytes)>;
