#include "DebuggerBackends.h"

#include "debugger/BackendRegistry.h"
#include "debugger/Subfamily.h"
#include "debugger/ccs/CcsDspUser.h"
#include "debugger/ccs/CcsInstallation.h"
#include "debugger/gdb/GdbConnection.h"
#include "debugger/gdb/GdbDspUser.h"
#include "debugger/sim/SimDspUser.h"

namespace {

using Kind = SetupProcessor::Kind;

CBackendRegistry::Backend Simulator()
{
    return {[](const QString &board, const SetupProcessor &processor, const SubfamilyInfo &subfamily) {
                return std::make_shared<CSimDspUser>(board, processor.name, subfamily, processor.bigEndian);
            },
            [](const SetupProcessor &processor) {
                const SubfamilyInfo *info = FindSubfamily(processor.subfamily);
                return QStringLiteral("built-in simulator, %1").arg(info ? info->Name() : QString());
            }};
}

CBackendRegistry::Backend Gdb()
{
    return {[](const QString &, const SetupProcessor &processor, const SubfamilyInfo &subfamily) {
                return std::make_shared<CGdbDspUser>(processor.gdb, subfamily, processor.bigEndian);
            },
            [](const SetupProcessor &processor) {
                const QString server = QStringLiteral("GDB server ")
                    + CGdbConnection::ServerText(processor.gdb.host, processor.gdb.port);
                return processor.gdb.start.isEmpty()
                    ? server
                    : server + QStringLiteral(", started as \"%1\"").arg(processor.gdb.start.join(u' '));
            }};
}

CBackendRegistry::Backend Ccs()
{
    return {[](const QString &, const SetupProcessor &processor, const SubfamilyInfo &subfamily) {
                return std::make_shared<CCcsDspUser>(processor.ccs, subfamily);
            },
            [](const SetupProcessor &processor) { return CCcsInstallation(processor.ccs).Description(); }};
}

} // namespace

void CDebuggerBackends::RegisterAll()
{
    CBackendRegistry::Register(Kind::Simulator, Simulator());
    CBackendRegistry::Register(Kind::Gdb, Gdb());
    CBackendRegistry::Register(Kind::Ccs, Ccs());
}
