#pragma once

#include <QString>

#include <memory>

// Shows texts and asks questions: message boxes when a user is present,
// standard error when the program runs unattended. Never blocks unattended.
class CPrompter {
public:
    virtual ~CPrompter() = default;

    // A plain box with an OK button.
    virtual void ShowMessage(const QString &text) = 0;
    // The message log's box: the whole buffer, of which `added` is the newest text.
    virtual void ShowLog(const QString &buffer, const QString &added) = 0;
    // A Yes/No question; unattended runs take `unattendedAnswer`.
    virtual bool AskYesNo(const QString &question, bool unattendedAnswer) = 0;
    // A text just added to the message log. Unattended runs print it at once
    // and whole; a user sees the log when it is shown.
    virtual void LogAdded(const QString &) {}
};

// The program-wide prompter; unattended (standard error) until another is installed.
CPrompter &thePrompter();
// Installs a prompter and returns the previous one.
std::unique_ptr<CPrompter> InstallPrompter(std::unique_ptr<CPrompter> prompter);
