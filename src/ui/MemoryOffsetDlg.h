#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class MemoryOffsetDlg;
}

// Asks for the offset of the flash view's page and its display width; the
// view checks the offset.
class CMemoryOffsetDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr const char *kHelpTopic = "MemoryOffset.htm";

    explicit CMemoryOffsetDlg(QWidget *parent = nullptr);
    ~CMemoryOffsetDlg() override;

    QString OffsetText() const { return m_strOffset; }
    void SetOffsetText(const QString &text) { m_strOffset = text; }
    // 0, 1 or 2: 8-, 16- or 32-bit.
    int DisplayWidth() const { return m_nWidth; }
    void SetDisplayWidth(int width) { m_nWidth = width; }
    void SetByteChoiceEnabled(bool enabled) { m_bByteEnabled = enabled; }

public slots:
    void accept() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<Ui::MemoryOffsetDlg> m_ui;
    QString m_strOffset;
    int m_nWidth = 0;
    bool m_bByteEnabled = true;
};
