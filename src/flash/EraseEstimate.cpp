#include "EraseEstimate.h"

#include "OperationHost.h"
#include "wire/CommMessage.h"

bool CEraseEstimate::IsOffered(const COperationHost &host)
{
    return host.Facts().protocolId == 4;
}

void CEraseEstimate::Ask(COperationHost &host)
{
    CommMessage request;
    request.SetCommand(CommandCode::GetEraseEstimate);
    host.SendHeader(request);
}

bool CEraseEstimate::Receive(COperationHost &host, int &seconds)
{
    CommMessage answer;
    if (!host.ReceiveHeader(answer))
        return false;
    if (!answer.IsAnswerTo(CommandCode::GetEraseEstimate)) {
        host.Fail(CFailure::Logged(
            QString::asprintf("Cannot get the erase estimate. (cmd = %x?)\r\n", unsigned(answer.Command()))));
        return false;
    }
    seconds = int(answer.Param(0));
    return true;
}
