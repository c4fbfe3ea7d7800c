#pragma once

#include "DspUserEvents.h"

#include <QtGlobal>

#include <functional>

class ICommMessageReceiver;

// The event sink of a connection: records the end of a program load and turns
// a halt at the target component's breakpoint into the halt notification of
// the registered receiver.
class DspUserSynk : public IDspUserEvents {
public:
    static constexpr quint32 kNotConnected = 0xFEFEFEFE;
    static constexpr quint32 kNoBreakpoint = 0xFFFFFFFF;

    void OnLoadFinished(const QString &error) override;
    // A halt at the breakpoint address calls the receiver's OnCommMessage; an
    // automation error it raises is caught here, at the event-loop boundary.
    void OnHalted(const std::shared_ptr<IDspValue> &location) override;
    // Fails the receiver's running exchange with `reason`, as a debugger failure
    // at the event-loop boundary, then calls the lost handler.
    void OnTargetLost(const QString &reason) override;
    void SetLostHandler(std::function<void()> handler) { m_onLost = std::move(handler); }

    bool LoadFinished() const { return m_bLoadFinished; }
    void ClearLoadFinished() { m_bLoadFinished = false; }
    // The reason the last finished load failed; empty when it succeeded.
    QString LoadError() const { return m_strLoadError; }

    void SetBreakpointAddress(quint32 address) { m_nBreakpointAddress = address; }

    ICommMessageReceiver *NotifyReceiver() const { return m_pNotifyReceiver; }
    void SetNotifyReceiver(ICommMessageReceiver *receiver) { m_pNotifyReceiver = receiver; }

    quint32 Cookie() const { return m_nCookie; }
    void SetCookie(quint32 cookie) { m_nCookie = cookie; }

private:
    quint32 m_nCookie = kNotConnected;
    bool m_bLoadFinished = false;
    QString m_strLoadError;
    ICommMessageReceiver *m_pNotifyReceiver = nullptr;
    std::function<void()> m_onLost;
    quint32 m_nBreakpointAddress = kNoBreakpoint;
};
