#pragma once

#include <QWidget>

class QTextBrowser;

// The program's help: one window that shows the help topics under res/help,
// with links between them, Back, Forward and the contents page. Escape and
// Ctrl+W close it.
class CHelpWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr const char *kContentsTopic = "Contents.htm";

    // The help window, made on first use.
    static CHelpWindow &Instance();
    // Shows `topic` ("CorvaneGUI.htm"); false when there is no such topic.
    bool ShowTopic(const QString &topic);
    // The topic shown, as its file name.
    QString CurrentTopic() const;
    // Where a window of `client` size with `frame` edges opens on `available`:
    // over `centre`, no larger than the screen and wholly on it.
    static QRect FrameOnScreen(const QSize &client, const QMargins &frame, const QRect &available, const QPoint &centre);

private:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 520;

    CHelpWindow();
    void PlaceOnScreen();
    QTextBrowser *m_browser;
};

// Opens the help window at a topic; false when the topic does not exist.
bool ShowHelp(const QString &topic);
// Opens the help window at the contents page.
bool ShowHelpContents();
