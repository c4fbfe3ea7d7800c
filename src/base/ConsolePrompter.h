#pragma once

#include "Prompter.h"

#include <cstdio>

// Prompter of unattended runs: texts go into the message log, and every text
// the log is given goes to standard error.
class CConsolePrompter : public CPrompter {
public:
    explicit CConsolePrompter(std::FILE *stream = stderr);

    void ShowMessage(const QString &text) override;
    // Prints nothing: the added text was printed when the log got it.
    void ShowLog(const QString &buffer, const QString &added) override;
    bool AskYesNo(const QString &question, bool unattendedAnswer) override;
    Answer AskYesNoCancel(const QString &question, Answer unattendedAnswer) override;
    void LogAdded(const QString &text) override;

private:
    void Print(const QString &text);

    std::FILE *m_stream;
};
