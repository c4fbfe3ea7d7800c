#include "SimProcessor.h"

#include "SimDspUser.h"

CSimProcessor::CSimProcessor(const QString &board, const QString &processor, const SubfamilyInfo &subfamily,
                             bool bigEndian)
    : m_pDspUser(std::make_shared<CSimDspUser>(board, processor, subfamily, bigEndian))
    , m_bBigEndian(bigEndian)
{
}

std::shared_ptr<IDspUser> CSimProcessor::DspUser()
{
    return m_pDspUser;
}
