#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class AboutDlg;
}

// The about box: the program's version and the target component protocol version it speaks.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    // The protocol version of the target component that this program supports.
    static constexpr const char *kProtocolVersion = "4";

    explicit CAboutDlg(QWidget *parent = nullptr);
    ~CAboutDlg() override;

private:
    std::unique_ptr<Ui::AboutDlg> m_ui;
};
