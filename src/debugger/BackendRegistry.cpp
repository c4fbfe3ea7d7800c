#include "BackendRegistry.h"

#include <QMap>

namespace {

QMap<SetupProcessor::Kind, CBackendRegistry::Backend> &Backends()
{
    static QMap<SetupProcessor::Kind, CBackendRegistry::Backend> backends;
    return backends;
}

} // namespace

void CBackendRegistry::Register(SetupProcessor::Kind kind, Backend backend)
{
    Backends().insert(kind, std::move(backend));
}

std::shared_ptr<IDspUser> CBackendRegistry::Make(const QString &board, const SetupProcessor &processor,
                                                 const SubfamilyInfo &subfamily)
{
    const auto found = Backends().constFind(processor.kind);
    return found == Backends().constEnd() ? nullptr : found->make(board, processor, subfamily);
}

QString CBackendRegistry::Describe(const SetupProcessor &processor)
{
    const auto found = Backends().constFind(processor.kind);
    return found == Backends().constEnd() ? QString() : found->describe(processor);
}
