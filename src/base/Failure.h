#pragma once

#include <QString>

#include <memory>

// Why an operation or a step could not go on: the text to report, how it is
// shown, and what becomes of the run. Lower layers return failures; they are
// reported once, where control entered from the event loop (CFailureReporter).
struct CFailure {
    // Added to the message log (and the log shown to a user), or shown in a plain message box.
    enum class Shown { InLog, InMessageBox };
    // The run goes on; an unattended run ends; the program ends in any run.
    enum class Then { RunGoesOn, UnattendedRunEnds, ProgramEnds };

    static CFailure Logged(const QString &text, Then then = Then::UnattendedRunEnds);
    static CFailure Message(const QString &text, Then then = Then::UnattendedRunEnds);
    // This failure, reported after `cause`.
    CFailure CausedBy(const CFailure &cause) const;

    Shown shown = Shown::InLog;
    QString text;
    Then then = Then::UnattendedRunEnds;
    std::shared_ptr<const CFailure> cause;
};
