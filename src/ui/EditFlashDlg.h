#pragma once

#include "DialogControlIds.h"

#include <QDialog>

#include <memory>

class CFlashMemoryDlg;
class CFlashPage;
class CFlashSession;

namespace Ui {
class EditFlashDlg;
}

// Changes one unit (the flash view's display width) of the page the flash view
// shows: the value goes into the view's page data and the whole page is written
// back with WriteFlash through the flash session. Modal; after Done it closes
// on the write's answer.
class CEditFlashDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDoneResult = DialogControlId::EditDone;
    static constexpr const char *kHelpTopic = "EditMemory.htm";

    // Edits the unit at `byteOffset` of `view`'s page.
    CEditFlashDlg(CFlashMemoryDlg &view, CFlashSession &session, int byteOffset);
    ~CEditFlashDlg() override;

    void OnDone();
    // The up-down control moved by `delta` units.
    void OnStep(int delta);

public slots:
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class WriteResult { Sent, Refused };

    void ShowTexts();
    void ShowDataText();
    // Takes the offset edit's address when it lies in the page; false after resetting both texts.
    bool CheckAddress();
    bool DataChanged() const;
    WriteResult WriteValue();
    void OnWritten(bool written);
    quint32 UnitValue() const;

    std::unique_ptr<Ui::EditFlashDlg> m_ui;
    CFlashMemoryDlg &m_view;
    CFlashPage &m_page;
    CFlashSession &m_session;
    int m_nByteOffset;
    const int m_nUnitBytes;
    bool m_bWriting = false;
    bool m_bCloseAfterWrite = false;
};
