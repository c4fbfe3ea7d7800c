#pragma once

#include "DebuggerBoard.h"
#include "SetupBoard.h"

#include <QList>

// A board of the setup. Its processors are numbered without the bypassed
// devices and made by their backend when first asked for.
class CConfiguredBoard : public IDebuggerBoard {
public:
    explicit CConfiguredBoard(const SetupBoard &board);

    std::shared_ptr<IDebuggerProcessor> Processor(qint32 index) override;

private:
    std::shared_ptr<IDebuggerProcessor> MakeProcessor(const SetupProcessor &processor) const;

    QString m_strName;
    QList<SetupProcessor> m_processors;
    QList<std::shared_ptr<IDebuggerProcessor>> m_made;
};
