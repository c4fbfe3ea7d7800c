#pragma once

#include "base/Prompter.h"

// The prompter of interactive runs: message boxes titled "Corvane" over the active window.
class CMessageBoxPrompter : public CPrompter {
public:
    void ShowMessage(const QString &text) override;
    void ShowLog(const QString &messages, const QString &added) override;
    bool AskYesNo(const QString &question, bool unattendedAnswer) override;
    Answer AskYesNoCancel(const QString &question, Answer unattendedAnswer) override;
};
