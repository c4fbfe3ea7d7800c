#pragma once

#include "debugger/DebuggerProcessor.h"

#include <QString>

class CSimDspUser;
struct SubfamilyInfo;

// A processor of a simulated board.
class CSimProcessor : public IDebuggerProcessor {
public:
    CSimProcessor(const QString &board, const QString &processor, const SubfamilyInfo &subfamily, bool bigEndian);

    std::shared_ptr<IDspUser> DspUser() override;
    bool ReverseByteOrder() override { return m_bBigEndian; }

private:
    std::shared_ptr<CSimDspUser> m_pDspUser;
    bool m_bBigEndian;
};
