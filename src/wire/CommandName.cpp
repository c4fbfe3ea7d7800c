#include "CommandName.h"

#include "CommandCode.h"

QString CommandName(quint16 command)
{
    switch (CommandCode(command)) {
    case CommandCode::GetProtocolId: return QStringLiteral("GetProtocolId");
    case CommandCode::EraseFlash: return QStringLiteral("EraseFlash");
    case CommandCode::GetFlashBase: return QStringLiteral("GetFlashBase");
    case CommandCode::ReadFlash: return QStringLiteral("ReadFlash");
    case CommandCode::WriteFlash: return QStringLiteral("WriteFlash");
    case CommandCode::GetChecksum: return QStringLiteral("GetChecksum");
    case CommandCode::SendUserData: return QStringLiteral("SendUserData");
    case CommandCode::GetFlashSize: return QStringLiteral("GetFlashSize");
    case CommandCode::SetFlashBase: return QStringLiteral("SetFlashBase");
    case CommandCode::SetFlashSize: return QStringLiteral("SetFlashSize");
    case CommandCode::GetVersionId: return QStringLiteral("GetVersionId");
    case CommandCode::QueryEditSupport: return QStringLiteral("QueryEditSupport");
    case CommandCode::GetMaxBufferSize: return QStringLiteral("GetMaxBufferSize");
    case CommandCode::GetEraseEstimate: return QStringLiteral("GetEraseEstimate");
    case CommandCode::TranslateAddresses: return QStringLiteral("TranslateAddresses");
    }
    return QStringLiteral("Command %1").arg(command);
}
