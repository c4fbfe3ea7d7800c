#pragma once

#include "base/Prompter.h"

#include <QStringList>

#include <memory>

// A prompter for tests: records what would have been shown and answers
// questions from a script. Installed for the lifetime of the object.
class RecordingPrompter : public CPrompter {
public:
    void ShowMessage(const QString &text) override;
    void ShowLog(const QString &buffer, const QString &added) override;
    bool AskYesNo(const QString &question, bool unattendedAnswer) override;
    Answer AskYesNoCancel(const QString &question, Answer unattendedAnswer) override;

    QStringList messages;    // ShowMessage texts
    QStringList logsShown;   // the messages ShowLog showed
    QStringList questions;
    QList<bool> answers;     // answers to give, in order; unattended answer when empty
    QList<Answer> choices;   // answers to Yes/No/Cancel questions, likewise
};

// Installs a RecordingPrompter for one scope and puts the old prompter back.
class ScopedRecordingPrompter {
public:
    ScopedRecordingPrompter();
    ~ScopedRecordingPrompter();
    RecordingPrompter *operator->() { return m_prompter; }
    RecordingPrompter &operator*() { return *m_prompter; }

private:
    RecordingPrompter *m_prompter;
    std::unique_ptr<CPrompter> m_previous;
};
