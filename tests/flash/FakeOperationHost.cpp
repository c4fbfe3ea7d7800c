#include "FakeOperationHost.h"

#include "wire/CommChecksum.h"

FakeOperationHost::FakeOperationHost()
{
    facts.protocolId = 4;
    facts.maxDataBytes = 64;
}

void FakeOperationHost::Run(CFlashOperation &operation)
{
    m_operations = {&operation};
    operation.Start();
    while (m_bAnswerPending && !Ended() && requests.size() <= answeredRequests) {
        m_bAnswerPending = false;
        m_operations.last()->OnHalt();
    }
}

void FakeOperationHost::RunChild(CFlashOperation &child)
{
    m_operations.append(&child);
    child.Start();
}

void FakeOperationHost::Succeed()
{
    EndInnermost();
    if (m_operations.isEmpty())
        succeeded = true;
    else
        m_operations.last()->OnChildSucceeded();
}

void FakeOperationHost::Fail(const CFailure &value)
{
    failure = value;
    for (qsizetype i = m_operations.size() - 2; i >= 0; --i)
        failure = m_operations[i]->ChildFailure(*failure);
    while (!m_operations.isEmpty())
        EndInnermost();
}

void FakeOperationHost::Abandon()
{
    abandoned = true;
    while (!m_operations.isEmpty())
        EndInnermost();
}

void FakeOperationHost::EndInnermost()
{
    m_operations.takeLast()->Release();
    if (m_operations.isEmpty())
        abortable = false;
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
    answer.SetCommandWord(wrongEcho && request.IsAnswerTo(*wrongEcho) ? 0 : request.Command());
    if (request.IsAnswerTo(CommandCode::GetChecksum)) {
        const quint32 first = request.Param32(0) * quint32(addressingUnit);
        CommChecksum checksum;
        for (quint32 i = 0; i < request.Param32(2); ++i) {
            const quint8 byte = ByteAt(first + i);
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
        answer.Data()[i] = ByteAt(first + quint32(i));
    answer.SetDataLength(count);
}
