#pragma once

#include "FocusKeeper.h"
#include "form/FlashPage.h"
#include "form/FlashViewHost.h"

#include <QDialog>
#include <QFont>
#include <QList>

#include <memory>

class CFlashSession;
class QListWidget;
class QTableWidget;

namespace Ui {
class FlashMemoryDlg;
}

// The flash memory view: one page of the flash, read through the target
// component (its row addresses translated, then its 256 bytes), shown as a row
// list, a grid of 8-, 16- or 32-bit units and the bytes as characters; paged, moved to an offset, saved
// as text, and edited a unit at a time. The form makes it once, modeless and
// without parent, and shows it again afterwards; it reads its page whenever it
// is shown after being hidden. The flash session does the reading and writing.
class CFlashMemoryDlg : public QDialog, public CFlashViewHost {
    Q_OBJECT
public:
    static constexpr const char *kHelpTopic = "MemoryDialog.htm";

    CFlashMemoryDlg(CFlashSession &session, quint32 flashSizeBytes);
    ~CFlashMemoryDlg() override;

    void SetEditSupport(bool allowed) override { m_bEditAllowed = allowed; }
    void ShowView(const QString &title) override;

    // "Courier New" at 9 points, for the lists here and the edits of the editor.
    static QFont EditFont();

    CFlashPage &Page() { return m_page; }
    bool IsReading() const { return m_bReading; }
    QWidget *Control(int id) const;
    QListWidget *RowList() const;
    QTableWidget *Grid() const;
    // The bytes of each row as characters.
    QListWidget *CharacterList() const;

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
    bool RefusesTargetAccess() const;
    void ReadPage(const QList<quint32> &rowAddresses);
    void EndRead();
    void EnableDuringRead(bool reading);
    bool IsOffered(int id) const;
    void FitItems();

    std::unique_ptr<Ui::FlashMemoryDlg> m_ui;
    CFlashSession &m_session;
    CFlashPage m_page;
    CFocusKeeper m_focusKeeper;
    bool m_bEditAllowed = false;
    bool m_bReading = false;
    bool m_bReloadWhenShown = true;
};
