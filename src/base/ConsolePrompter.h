#pragma once

#include "Prompter.h"

#include <cstdio>

// Prompter of unattended runs: texts go to standard error and into the message log.
class CConsolePrompter : public CPrompter {
public:
    explicit CConsolePrompter(std::FILE *stream = stderr);

    void ShowMessage(const QString &text) override;
    void ShowLog(const QString &buffer, const QString &added) override;
    bool AskYesNo(const QString &question, bool unattendedAnswer) override;

private:
    void Print(const QString &text);

    std::FILE *m_stream;
};
