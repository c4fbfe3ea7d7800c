#pragma once

#include "debugger/TargetLink.h"
#include "flash/FlashOperation.h"
#include "flash/OperationHost.h"
#include "wire/CommMessage.h"

#include <QByteArray>
#include <QList>
#include <QMap>

#include <optional>

// Runs one operation without a target: keeps the requests it sends, answers
// them from a byte-addressed flash of its own, runs its children in turn (reads carry no more data than
// facts.maxDataBytes, as a component with that buffer), and records how it ended. Every end releases the
// operation, as the session does.
class FakeOperationHost : public COperationHost {
public:
    FakeOperationHost();

    // Starts `operation` and answers its requests until it ends or stops asking.
    void Run(CFlashOperation &operation);

    QList<CommMessage> requests;
    QMap<quint32, quint8> flash;   // by byte position: target offset times the addressing unit
    int addressingUnit = 1;
    bool refuseWrites = false;     // every send fails as a refused memory write would
    std::optional<quint32> stuckByte;  // this byte position reads back 0
    std::optional<CommandCode> wrongEcho;  // answers to this command carry command 0
    bool abortRequested = false;
    int answeredRequests = 1 << 30;  // the target stops answering after this many requests
    quint16 eraseEstimate = 0;       // the answer to GetEraseEstimate
    QList<int> extraWaits;           // each request's lengthening of the answer time-out

    std::optional<CFailure> failure;
    bool succeeded = false;
    bool abandoned = false;
    bool abortable = false;
    QStringList records;
    CComponentFacts facts;

    // COperationHost
    const CTargetLink &Link() const override { return m_link; }
    const CComponentFacts &Facts() const override { return facts; }
    CComponentFacts &FactsToUpdate() override { return facts; }
    bool SendHeader(const CommMessage &request, int extraWaitSeconds) override;
    bool SendMessage(const CommMessage &request) override;
    bool ResumeTarget() override { return true; }
    bool ReceiveHeader(CommMessage &answer) override;
    bool ReceiveMessage(CommMessage &answer) override { return ReceiveHeader(answer); }
    void Continue() override { m_operations.last()->OnHalt(); }
    void Report(const CProgressEvent &) override {}
    void Record(const QString &text) override { records.append(text); }
    quint32 Now() const override { return 0; }
    void SetAbortable(bool value) override { abortable = value; }
    bool IsAbortRequested() const override { return abortRequested; }
    void StartTicks() override {}
    void RunChild(CFlashOperation &child) override;
    void Succeed() override;
    void Fail(const CFailure &value) override;
    void Abandon() override;

private:
    bool Send(const CommMessage &request);
    CommMessage Answer(const CommMessage &request);
    void AnswerRead(const CommMessage &request, CommMessage &answer);
    bool Ended() const { return succeeded || failure || abandoned; }
    // Releases the innermost operation; the abort button goes with the outermost.
    void EndInnermost();
    quint8 ByteAt(quint32 position) const { return stuckByte == position ? 0 : flash.value(position, 0xFF); }

    CTargetLink m_link;
    QList<CFlashOperation *> m_operations;  // the running one and its parents
    bool m_bAnswerPending = false;
};
