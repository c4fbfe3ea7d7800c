#include "ConfiguredBoard.h"

#include "BackendProcessor.h"
#include "BackendRegistry.h"
#include "Subfamily.h"

CConfiguredBoard::CConfiguredBoard(const SetupBoard &board)
    : m_strName(board.name)
{
    for (const SetupProcessor &processor : board.processors) {
        if (processor.kind != SetupProcessor::Kind::Bypass)
            m_processors.append(processor);
    }
    m_made.resize(m_processors.size());
}

std::shared_ptr<IDebuggerProcessor> CConfiguredBoard::Processor(qint32 index)
{
    if (index < 0 || index >= m_processors.size())
        return nullptr;
    if (!m_made[index])
        m_made[index] = MakeProcessor(m_processors[index]);
    return m_made[index];
}

std::shared_ptr<IDebuggerProcessor> CConfiguredBoard::MakeProcessor(const SetupProcessor &processor) const
{
    const SubfamilyInfo *info = FindSubfamily(processor.subfamily);
    if (!info)
        return nullptr;
    std::shared_ptr<IDspUser> dspUser = CBackendRegistry::Make(m_strName, processor, *info);
    if (!dspUser)
        return nullptr;
    return std::make_shared<CBackendProcessor>(std::move(dspUser), processor.bigEndian);
}
