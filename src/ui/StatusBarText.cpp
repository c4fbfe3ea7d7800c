#include "StatusBarText.h"

#include <QLabel>
#include <QStyle>

CStatusBarText::CStatusBarText(QLabel *pane, const QList<QWidget *> &indicators)
    : m_pane(pane)
{
    for (QWidget *indicator : indicators)
        m_indicators.append(indicator);
}

// The pane shows one line; line breaks of the text become blanks there.
void CStatusBarText::SetStatusText(const QString &text)
{
    m_text = text;
    if (!m_pane)
        return;
    const QString shown = QString(text).replace(QLatin1String("\r\n"), QLatin1String(" ")).simplified();
    MakeRoomFor(shown);
    m_pane->setText(shown);
    m_pane->repaint();
}

QString CStatusBarText::StatusText() const
{
    return m_text;
}

void CStatusBarText::MakeRoomFor(const QString &shown)
{
    const QWidget *bar = m_pane->parentWidget();
    if (!bar)
        return;
    const int spacing = bar->style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing);
    int room = bar->width() - 2 * m_pane->margin() - 2 * m_pane->frameWidth() - spacing;
    for (const QWidget *indicator : m_indicators)
        room -= indicator ? indicator->sizeHint().width() + 2 * spacing : 0;
    const bool fits = m_pane->fontMetrics().horizontalAdvance(shown) <= room;
    for (QWidget *indicator : m_indicators) {
        if (indicator)
            indicator->setVisible(fits);
    }
}
