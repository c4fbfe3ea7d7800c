#include "MessageBoxPrompter.h"

#include <QApplication>
#include <QMessageBox>

namespace {
const char kTitle[] = "Corvane";

int Ask(QMessageBox::Icon icon, const QString &text, QMessageBox::StandardButtons buttons)
{
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(icon, QLatin1String(kTitle), shown, buttons, QApplication::activeWindow());
    return box.exec();
}
} // namespace

void CMessageBoxPrompter::ShowMessage(const QString &text)
{
    Ask(QMessageBox::NoIcon, text, QMessageBox::Ok);
}

void CMessageBoxPrompter::ShowLog(const QString &messages, const QString &)
{
    Ask(QMessageBox::Warning, messages, QMessageBox::Ok);
}

bool CMessageBoxPrompter::AskYesNo(const QString &question, bool)
{
    return Ask(QMessageBox::NoIcon, question, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

// With a Cancel button, Escape answers Cancel.
CPrompter::Answer CMessageBoxPrompter::AskYesNoCancel(const QString &question, Answer)
{
    switch (Ask(QMessageBox::NoIcon, question, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
    }
}
