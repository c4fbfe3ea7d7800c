#include "FakeOperationHost.h"

#include "wire/CommChecksum.h"

FakeOperationHost::FakeOperationHost()
{
    facts.protocolId = 4;
    facts.maxDataBytes = 64;
}

void FakeOperationHost::Run(CFlashOperation &operation)
{
    m_operation = &operation;
    operation.Start();
    while (m_bAnswerPending && !Ended() && requests.size() <= answeredRequests) {
        m_bAnswerPending = false;
        operation.OnHalt();
    }
}

bool FakeOperationHost::SendHeader(const CommMessage &request, int extraWaitSeconds)
{
    extraWaits.append(extraWaitSeconds);
    return Send(request);
}

bool FakeOperationHost::SendMessage(const CommMessage &request)
{
    extraWaits.append(0);
    return Send(request);
}

bool FakeOperationHost::Send(const CommMessage &request)
{
    if (refuseWrites) {
        Fail(CFailure::Message(QStringLiteral("Failed to write")));
        return false;
    }
    requests.append(request);
    if (request.IsAnswerTo(CommandCode::WriteFlash)) {
        const quint32 first = request.Param32(0) * quint32(addressingUnit);
        for (int i = 0; i < request.Param(2); ++i)
            flash[first + quint32(i)] = request.DataByte(i);
    }
    m_bAnswerPending = true;
    return true;
}

bool FakeOperationHost::ReceiveHeader(CommMessage &answer)
{
    answer = Answer(requests.last());
    return true;
}

CommMessage FakeOperationHost::Answer(const CommMessage &request)
{
    CommMessage answer;
    answer.SetCommandWord(request.Command());
    if (request.IsAnswerTo(CommandCode::GetChecksum)) {
        const quint32 first = request.Param32(0) * quint32(addressingUnit);
        CommChecksum checksum;
        for (quint32 i = 0; i < request.Param32(2); ++i) {
            const quint8 byte = stuckByte == first + i ? 0 : flash.value(first + i, 0xFF);
            checksum.Add(&byte, 1);
        }
        answer.SetParam(0, checksum.Value());
    }
    if (request.IsAnswerTo(CommandCode::GetEraseEstimate))
        answer.SetParam(0, eraseEstimate);
    if (request.IsAnswerTo(CommandCode::ReadFlash))
        AnswerRead(request, answer);
    return answer;
}

void FakeOperationHost::AnswerRead(const CommMessage &request, CommMessage &answer)
{
    const quint32 first = request.Param32(0) * quint32(addressingUnit);
    const int count = qMin(int(request.Param(2)), int(facts.maxDataBytes));
    for (int i = 0; i < count; ++i)
        answer.Data()[i] = flash.value(first + quint32(i), 0xFF);
    answer.SetDataLength(count);
}
