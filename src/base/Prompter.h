#pragma once

#include <QString>

#include <memory>

// Shows texts and asks questions: message boxes when a user is present,
// standard error when the program runs unattended. Never blocks unattended.
class CPrompter {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~CPrompter() = default;

    // A plain box with an OK button.
    virtual void ShowMessage(const QString &text) = 0;
    // The message log's box: its messages (no time stamp, no trace), of which `added` is the newest text.
    virtual void ShowLog(const QString &messages, const QString &added) = 0;
    // A Yes/No question; unattended runs take `unattendedAnswer`.
    virtual bool AskYesNo(const QString &question, bool unattendedAnswer) = 0;
    // A Yes/No/Cancel question, where Escape cancels; unattended runs take `unattendedAnswer`.
    virtual Answer AskYesNoCancel(const QString &question, Answer unattendedAnswer) = 0;
    // A text just added to the message log. Unattended runs print it at once
    // and whole; a user sees the log when it is shown.
    virtual void LogAdded(const QString &) {}
};

// The program-wide prompter; unattended (standard error) until another is installed.
CPrompter &thePrompter();
// Installs a prompter and returns the previous one.
std::unique_ptr<CPrompter> InstallPrompter(std::unique_ptr<CPrompter> prompter);
