#pragma once

#include "DebuggerProcessor.h"

// A processor of a board, served by the backend that made its IDspUser.
class CBackendProcessor : public IDebuggerProcessor {
public:
    CBackendProcessor(std::shared_ptr<IDspUser> dspUser, bool bigEndian)
        : m_pDspUser(std::move(dspUser))
        , m_bBigEndian(bigEndian)
    {
    }

    std::shared_ptr<IDspUser> DspUser() override { return m_pDspUser; }
    bool ReverseByteOrder() override { return m_bBigEndian; }

private:
    std::shared_ptr<IDspUser> m_pDspUser;
    bool m_bBigEndian;
};
