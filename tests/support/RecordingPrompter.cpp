#include "RecordingPrompter.h"

void RecordingPrompter::ShowMessage(const QString &text)
{
    messages.append(text);
}

void RecordingPrompter::ShowLog(const QString &buffer, const QString &)
{
    logsShown.append(buffer);
}

bool RecordingPrompter::AskYesNo(const QString &question, bool unattendedAnswer)
{
    questions.append(question);
    return answers.isEmpty() ? unattendedAnswer : answers.takeFirst();
}

CPrompter::Answer RecordingPrompter::AskYesNoCancel(const QString &question, Answer unattendedAnswer)
{
    questions.append(question);
    return choices.isEmpty() ? unattendedAnswer : choices.takeFirst();
}

ScopedRecordingPrompter::ScopedRecordingPrompter()
{
    auto prompter = std::make_unique<RecordingPrompter>();
    m_prompter = prompter.get();
    m_previous = InstallPrompter(std::move(prompter));
}

ScopedRecordingPrompter::~ScopedRecordingPrompter()
{
    InstallPrompter(std::move(m_previous));
}
