#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>
#include <stdexcept>

// A debugger call that returned a failure status. Every call on the debugger
// layer's interfaces (IDspUser, processors, boards, the application) raises
// this one type for a failure status; a required interface that is missing is
// raised with kInvalidPointer.
//
// The target link's operations do not catch it. It is caught once, where
// control enters the program from the event loop (RunAtEventLoopBoundary): the
// halt and load events of DspUserSynk, and the form's timer and command
// handlers. There its text is reported through the message log and the running
// operation fails; the program goes on.
class CAutomationError : public std::runtime_error {
public:
    // Status codes in the sense of the debugger's automation: negative means failure.
    static constexpr qint32 kFailure = qint32(0x80004005);
    static constexpr qint32 kInvalidPointer = qint32(0x80004003);
    static constexpr qint32 kInvalidArgument = qint32(0x80070057);
    static constexpr qint32 kBadIndex = qint32(0x8002000B);

    // `call` names the object and operation, for example "IDspUser.ReadBlock".
    CAutomationError(qint32 status, const QString &call);
    // A failure a backend describes itself: `text` is the whole text.
    static CAutomationError Described(const QString &text, qint32 status = kFailure);

    // Seconds as failure texts give them: "10", "0.25".
    static QString SecondsText(qint32 milliseconds);

    qint32 Status() const { return m_nStatus; }
    // "Automation error 0x80004005 in IDspUser.ReadBlock.", or the backend's own text.
    QString Text() const;

private:
    CAutomationError(const std::string &text, qint32 status);

    qint32 m_nStatus;
};

// Runs `step`, entered from the event loop. A CAutomationError it raises is
// reported (ReportFailure: shown interactively, logged and failing the run
// otherwise) and then `onFailure` runs, so that the caller can fail its
// running operation. Returns false when the step failed so.
bool RunAtEventLoopBoundary(const std::function<void()> &step,
                            const std::function<void(const CAutomationError &)> &onFailure = {});
