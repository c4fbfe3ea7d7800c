#pragma once

#include <QDialog>

#include <functional>
#include <memory>

namespace Ui {
class WelcomeDlg;
}

// The start-up dialog: open a recent configuration (each shown with its
// folder; a double-click opens it), an existing one or a new one. OK posts the
// chosen command to the main window.
class CWelcomeDlg : public QDialog {
    Q_OBJECT
public:
    using PostCommand = std::function<void(int command)>;

    // `recentPaths`: the recent-file list, newest first.
    CWelcomeDlg(const QStringList &recentPaths, PostCommand postCommand, QWidget *mainWindow);
    ~CWelcomeDlg() override;

public slots:
    void accept() override;

private:
    void OnChoice();

    std::unique_ptr<Ui::WelcomeDlg> m_ui;
    PostCommand m_postCommand;
};
