#pragma once

#include "DspUser.h"

#include <memory>

class CDspUserSinks;

// What every backend's processor shares: its events reach the advised sinks
// from the event loop, a symbol is evaluated by looking it up, and polling
// waits on the event loop.
class CEventLoopDspUser : public IDspUser {
public:
    qint32 EvaluateSymbol(const QString &name, IDspValue &value) override;
    void Poll() override;
    std::optional<quint32> Advise(const std::shared_ptr<IDspUserEvents> &events) override;
    void Unadvise(quint32 cookie) override;

protected:
    CEventLoopDspUser();
    ~CEventLoopDspUser() override;

    const std::shared_ptr<CDspUserSinks> m_pSinks;
};
