#pragma once

#include "form/FlashPage.h"
#include "form/FlashViewHost.h"
#include "debugger/CommMessageReceiver.h"

#include <QDialog>
#include <QFont>
#include <QList>

#include <memory>

class CommMessage;
class QListWidget;
class QTableWidget;

namespace Ui {
class FlashMemoryDlg;
}

// The flash memory view: one page of the flash, read through the target
// component (its row addresses translated, then its 256 bytes), shown as a row
// list and a grid of 8-, 16- or 32-bit units; paged, moved to an offset, saved
// as text, and edited a unit at a time. The form makes it once, modeless and
// without parent, and shows it again afterwards; it reads its page whenever it
// is shown after being hidden. While it reads it receives the halt notification.
class CFlashMemoryDlg : public QDialog, public CFlashViewHost, public ICommMessageReceiver {
    Q_OBJECT
public:
    static constexpr const char *kHelpTopic = "MemoryDialog.htm";

    CFlashMemoryDlg(CTargetLink &link, quint32 flashSizeBytes);
    ~CFlashMemoryDlg() override;

    void SetEditSupport(bool allowed) override { m_bEditAllowed = allowed; }
    void ShowView(const QString &title) override;
    void OnCommMessage() override;
    void OnCommFailure(const CAutomationError &error) override;

    // "Courier New" at 9 points, for the lists here and the edits of the editor.
    static QFont EditFont();
    // "Cannot deal with unexpected response: %x", added to the log and shown.
    static void ReportUnexpectedResponse(quint16 command);

    CFlashPage &Page() { return m_page; }
    bool IsReading() const { return m_bReading; }
    QWidget *Control(int id) const;
    QListWidget *RowList() const;
    QTableWidget *Grid() const;

    // Fills both lists from the page data.
    void Redraw();
    // Selects the grid item that shows target address `address`.
    void SelectAddress(quint32 address);
    // Reads the page at the page start again.
    void StartRead();

    void OnNext();
    void OnPrev();
    void OnChangeOffset();
    void OnSaveAsText();
    void OnGridDoubleClick(int item);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Steps of a read: send the row offsets, then ask for the page, then take it.
    enum ReadStep { SendRowOffsets = 2, AwaitTranslation = 3, AwaitPage = 4 };

    void SendTranslateAddresses();
    void OnTranslation();
    void OnPage();
    // False, after reporting, when the answer is not one to `expected`.
    bool IsAnswerTo(const CommMessage &answer, int expected);
    void EndRead();
    void EnableDuringRead(bool reading);
    void FitItems();
    // Runs a handler entered from the event loop; a debugger failure ends the read.
    void Handle(const std::function<void()> &handler);

    std::unique_ptr<Ui::FlashMemoryDlg> m_ui;
    CTargetLink &m_link;
    CFlashPage m_page;
    bool m_bEditAllowed = false;
    bool m_bReading = false;
    bool m_bReloadWhenShown = true;
    ReadStep m_nReadStep = SendRowOffsets;
    QList<quint32> m_rowAddresses;  // of the page being read
};
