#include "StatusBarText.h"

#include <QLabel>

CStatusBarText::CStatusBarText(QLabel *pane)
    : m_pane(pane)
{
}

// The pane shows one line; line breaks of the text become blanks there.
void CStatusBarText::SetStatusText(const QString &text)
{
    m_text = text;
    if (m_pane) {
        m_pane->setText(QString(text).replace(QLatin1String("\r\n"), QLatin1String(" ")).simplified());
        m_pane->repaint();
    }
}

QString CStatusBarText::StatusText() const
{
    return m_text;
}
