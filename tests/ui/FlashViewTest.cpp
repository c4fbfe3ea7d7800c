#include "UiTestSupport.h"

#include "config/ControlIds.h"
#include "config/CorvaneDoc.h"
#include "debugger/sim/SimMonitor.h"
#include "ui/ControlLookup.h"
#include "ui/CorvaneView.h"
#include "ui/EditFlashDlg.h"
#include "ui/FlashMemoryDlg.h"
#include "ui/UpDownControl.h"
#include "ui/DialogControlIds.h"

#include <QApplication>
#include <QDialog>
#include <QFocusEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QToolButton>

namespace {

namespace Id = DialogControlId;

template <typename T>
T *ControlOf(const QWidget &root, int id)
{
    return qobject_cast<T *>(FindControl(root, id));
}

class FlashView : public GuiTest {
protected:
    // Opens the document, programs the example image and opens the flash memory view.
    CFlashMemoryDlg *ProgramAndView(const std::function<void(CCorvaneDoc &)> &edit = {})
    {
        OpenReadyDocument(WriteDocument(edit));
        Click(ControlId::ProgramButton);
        EXPECT_TRUE(WaitReady());
        return OpenFlashView();
    }

    bool WaitRead(CFlashMemoryDlg &view)
    {
        return WaitUntil([&view] { return !view.IsReading() && view.Page().IsValid(); });
    }

    // Double-clicks a grid cell; `inEditor` runs in the editor that opens.
    void EditCell(CFlashMemoryDlg &view, int row, int column, const std::function<void(QDialog &)> &inEditor)
    {
        WhenModalOpens(inEditor);
        view.Grid()->setCurrentCell(row, column);
        emit view.Grid()->cellDoubleClicked(row, column);
    }
};

TEST_F(FlashView, PagesAreReadWithTheirTranslatedAddresses)
{
    CFlashMemoryDlg *view = ProgramAndView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->windowTitle(), QStringLiteral("board.cdd Flash Memory"));
    EXPECT_EQ(view->RowList()->item(0)->text(), QStringLiteral("00000000 | 90000000:"));
    EXPECT_EQ(view->RowList()->item(15)->text(), QStringLiteral("000000F0 | 900000F0:"));
    EXPECT_EQ(view->Grid()->columnCount(), 16);
    EXPECT_EQ(view->Grid()->item(0, 0)->text(), QStringLiteral("43"));
    // The example image opens with "Corvane "; the bytes beside the hexadecimal as characters.
    ASSERT_EQ(view->CharacterList()->count(), 16);
    EXPECT_TRUE(view->CharacterList()->item(0)->text().startsWith(QStringLiteral("Corvane "))) << view->CharacterList()->item(0)->text().toStdString();
    EXPECT_EQ(view->CharacterList()->item(0)->text().size(), 16);
    EXPECT_FALSE(view->Control(Id::UpdatingLabel)->isVisible());
    EXPECT_FALSE(view->Control(Id::PrevButton)->isEnabled()) << "the first page";

    auto *next = ControlOf<QPushButton>(*view, Id::NextButton);
    next->setFocus();
    next->click();
    // While the page is read, paging waits; closing does not.
    EXPECT_TRUE(view->Control(Id::UpdatingLabel)->isVisible());
    for (int id : {Id::PrevButton, Id::NextButton, Id::ChangeOffsetButton, Id::SaveAsTextButton})
        EXPECT_FALSE(view->Control(id)->isEnabled()) << id;
    EXPECT_TRUE(view->Control(Id::CloseButton)->isEnabled());
    ASSERT_TRUE(WaitRead(*view));
    EXPECT_EQ(view->Page().PageStart(), 0x100u);
    EXPECT_EQ(view->RowList()->item(0)->text(), QStringLiteral("00000100 | 90000100:"));
    EXPECT_FALSE(view->Control(Id::UpdatingLabel)->isVisible());
    EXPECT_TRUE(next->isEnabled());
    EXPECT_TRUE(next->hasFocus()) << "the focus stays on the button pressed";

    ControlOf<QPushButton>(*view, Id::PrevButton)->click();
    ASSERT_TRUE(WaitRead(*view));
    EXPECT_EQ(view->Page().PageStart(), 0u);
    EXPECT_EQ(view->Grid()->item(0, 0)->text(), QStringLiteral("43"));

    view->Page().MoveTo(view->Page().LastPageStart(), CFlashPage::Bits8);
    view->StartRead();
    ASSERT_TRUE(WaitRead(*view));
    EXPECT_FALSE(next->isEnabled()) << "the last page";
    EXPECT_TRUE(view->Control(Id::PrevButton)->isEnabled());
}

TEST_F(FlashView, AfterDisconnectReadsAndEditsAreRefusedAndCloseWorks)
{
    CFlashMemoryDlg *view = ProgramAndView();
    ASSERT_NE(view, nullptr);
    Click(ControlId::ConnectButton);
    ControlOf<QPushButton>(*view, Id::NextButton)->click();
    ControlOf<QPushButton>(*view, Id::ChangeOffsetButton)->click();
    emit view->Grid()->cellDoubleClicked(0, 0);
    EXPECT_EQ(prompter->messages,
              QStringList(3, QStringLiteral("The flash memory cannot be read: there is no connection to the target "
                                            "component.\r\nConnect, download the CVTC and choose View Flash again.")));
    EXPECT_TRUE(prompter->logsShown.isEmpty()) << prompter->logsShown.join(u'|').toStdString();
    EXPECT_FALSE(view->Control(Id::UpdatingLabel)->isVisible());
    EXPECT_EQ(view->Page().PageStart(), 0u);
    EXPECT_EQ(view->Grid()->item(0, 0)->text(), QStringLiteral("43"));
    ControlOf<QPushButton>(*view, Id::CloseButton)->click();
    EXPECT_FALSE(view->isVisible());
}

TEST_F(FlashView, ViewingAgainShowsTheSameWindowAndReadsItsPageAgain)
{
    CFlashMemoryDlg *view = ProgramAndView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(CommandCount(QStringLiteral("QueryEditSupport")), 1);
    const int bases = CommandCount(QStringLiteral("SetFlashBase"));
    const int reads = CommandCount(QStringLiteral("ReadFlash"));
    ControlOf<QPushButton>(*view, Id::CloseButton)->click();
    EXPECT_FALSE(view->isVisible());

    EXPECT_EQ(OpenFlashView(), view);
    EXPECT_EQ(CommandCount(QStringLiteral("QueryEditSupport")), 1);
    EXPECT_EQ(CommandCount(QStringLiteral("SetFlashBase")), bases + 1);
    EXPECT_EQ(CommandCount(QStringLiteral("SetFlashSize")), bases + 1);
    EXPECT_EQ(CommandCount(QStringLiteral("ReadFlash")), reads + 1);
}

TEST_F(FlashView, ChangeOffsetRefusesAPageOutsideTheFlashAndAlignsTheNewStart)
{
    CFlashMemoryDlg *view = ProgramAndView();
    ASSERT_NE(view, nullptr);
    QString reopenedWith;
    WhenModalOpens([&](QDialog &offsetDialog) {
        EXPECT_EQ(offsetDialog.windowTitle(), QStringLiteral("Flash Memory Offset"));
        EXPECT_EQ(ControlOf<QLineEdit>(offsetDialog, Id::OffsetEdit)->text(), QStringLiteral("0x0"));
        EXPECT_TRUE(ControlOf<QRadioButton>(offsetDialog, Id::ByteChoice)->isChecked());
        ControlOf<QLineEdit>(offsetDialog, Id::OffsetEdit)->setText(QStringLiteral("0x3FF01"));
        WhenModalOpens([&](QDialog &again) {
            reopenedWith = ControlOf<QLineEdit>(again, Id::OffsetEdit)->text();
            ControlOf<QLineEdit>(again, Id::OffsetEdit)->setText(QStringLiteral("0x103"));
            ControlOf<QRadioButton>(again, Id::DoublewordChoice)->click();
            ControlOf<QPushButton>(again, Id::Ok)->click();
        });
        ControlOf<QPushButton>(offsetDialog, Id::Ok)->click();
    });
    ControlOf<QPushButton>(*view, Id::ChangeOffsetButton)->click();
    EXPECT_EQ(prompter->messages,
              QStringList {QStringLiteral("ERROR: Attempting to access outside the logical bounds of Flash Memory: 0x0 to 0x3ff00")});
    EXPECT_EQ(reopenedWith, QStringLiteral("0x0"));
    ASSERT_TRUE(WaitRead(*view));
    EXPECT_EQ(view->Page().PageStart(), 0x100u);
    EXPECT_EQ(view->Grid()->columnCount(), 4);
    EXPECT_EQ(view->RowList()->item(0)->text(), QStringLiteral("00000100 | 90000100:"));
    EXPECT_TRUE(view->Grid()->item(0, 0)->text().endsWith(u' '));
    EXPECT_EQ(view->Grid()->item(0, 0)->text().size(), 9);
}

TEST_F(FlashView, AfterChangeOffsetTheFocusIsBackOnItsButton)
{
    CFlashMemoryDlg *view = ProgramAndView();
    ASSERT_NE(view, nullptr);
    auto *changeOffset = ControlOf<QPushButton>(*view, Id::ChangeOffsetButton);
    changeOffset->setFocus();
    WhenModalOpens([](QDialog &offsetDialog) {
        ControlOf<QLineEdit>(offsetDialog, Id::OffsetEdit)->setText(QStringLiteral("0x100"));
        ControlOf<QPushButton>(offsetDialog, Id::Ok)->click();
    });
    changeOffset->click();
    ASSERT_TRUE(WaitRead(*view));
    EXPECT_EQ(view->Page().PageStart(), 0x100u);
    EXPECT_EQ(view->focusWidget(), changeOffset) << (view->focusWidget() ? view->focusWidget()->objectName().toStdString() : "none");
}

TEST_F(FlashView, WordAddressedTargetsShowWordsAndCannotChooseBytes)
{
    OpenReadyDocument(WriteDocument([](CCorvaneDoc &doc) { doc.m_strConnection = QStringLiteral("Simulator 54x (CPU)"); }));
    CFlashMemoryDlg *view = OpenFlashView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->Grid()->columnCount(), 8);
    EXPECT_EQ(view->RowList()->item(1)->text().left(8), QStringLiteral("00000008"));
    WhenModalOpens([](QDialog &offsetDialog) {
        EXPECT_TRUE(ControlOf<QRadioButton>(offsetDialog, Id::WordChoice)->isChecked());
        EXPECT_FALSE(ControlOf<QRadioButton>(offsetDialog, Id::ByteChoice)->isEnabled());
        ControlOf<QRadioButton>(offsetDialog, Id::DoublewordChoice)->click();
        ControlOf<QPushButton>(offsetDialog, Id::Cancel)->click();
    });
    ControlOf<QPushButton>(*view, Id::ChangeOffsetButton)->click();
    EXPECT_EQ(view->Page().DisplayWidth(), CFlashPage::Bits16);
    EXPECT_FALSE(view->IsReading());
}

TEST_F(FlashView, AnEditIsWrittenWithTheWholePageAndShownByTheNextRead)
{
    CFlashMemoryDlg *view = ProgramAndView();
    ASSERT_NE(view, nullptr);
    const int writes = CommandCount(QStringLiteral("WriteFlash"));
    int result = -1;
    EditCell(*view, 0, 0, [&result](QDialog &editor) {
        EXPECT_EQ(editor.windowTitle(), QStringLiteral("Edit Flash Memory"));
        EXPECT_EQ(ControlOf<QLineEdit>(editor, Id::EditOffset)->text(), QStringLiteral("0x00000000"));
        EXPECT_EQ(ControlOf<QLineEdit>(editor, Id::EditData)->text(), QStringLiteral("0x43"));
        QObject::connect(&editor, &QDialog::finished, [&result](int code) { result = code; });
        // NOR flash only clears bits: 0x43 becomes 0x41.
        ControlOf<QLineEdit>(editor, Id::EditData)->setText(QStringLiteral("0x41"));
        ControlOf<QPushButton>(editor, Id::EditDone)->click();
    });
    EXPECT_EQ(result, CEditFlashDlg::kDoneResult);
    ASSERT_TRUE(WaitRead(*view));
    EXPECT_EQ(CommandCount(QStringLiteral("WriteFlash")), writes + 1);
    EXPECT_EQ(theSimMonitor().Records().last().command, QStringLiteral("ReadFlash"));
    EXPECT_EQ(view->Grid()->item(0, 0)->text(), QStringLiteral("41"));
    EXPECT_EQ(view->Grid()->item(0, 1)->text(), QStringLiteral("6F"));
}

TEST_F(FlashView, TheEditorRefusesAddressesAndValuesOutsideThePageOrUnit)
{
    CFlashMemoryDlg *view = ProgramAndView();
    ASSERT_NE(view, nullptr);
    const int writes = CommandCount(QStringLiteral("WriteFlash"));
    EditCell(*view, 0, 0, [view](QDialog &editor) {
        auto *offset = ControlOf<QLineEdit>(editor, Id::EditOffset);
        auto *data = ControlOf<QLineEdit>(editor, Id::EditData);
        auto *spin = ControlOf<CUpDownControl>(editor, Id::EditSpin);
        offset->setText(QStringLiteral("0x100"));
        ControlOf<QPushButton>(editor, Id::EditDone)->click();
        EXPECT_EQ(offset->text(), QStringLiteral("0x00000000"));
        data->setText(QStringLiteral("0x100"));
        ControlOf<QPushButton>(editor, Id::EditDone)->click();
        EXPECT_EQ(data->text(), QStringLiteral("0x43"));
        // Stepping before the first unit stays; the next unit is selected in the grid.
        spin->DownButton()->click();
        EXPECT_EQ(offset->text(), QStringLiteral("0x00000000"));
        spin->UpButton()->click();
        EXPECT_EQ(offset->text(), QStringLiteral("0x00000001"));
        EXPECT_EQ(data->text(), QStringLiteral("0x6F"));
        EXPECT_EQ(view->Grid()->currentRow(), 0);
        EXPECT_EQ(view->Grid()->currentColumn(), 1);
        // Typing an address inside the page moves there when the data edit gets the focus.
        offset->setText(QStringLiteral("0x10"));
        QFocusEvent focusIn(QEvent::FocusIn);
        QApplication::sendEvent(data, &focusIn);
        EXPECT_EQ(data->text(), QStringLiteral("0x67"));
        EXPECT_EQ(view->Grid()->currentRow(), 1);
        EXPECT_EQ(view->Grid()->currentColumn(), 0);
        editor.reject();
    });
    EXPECT_EQ(prompter->messages, (QStringList {QStringLiteral("Address out of range.\r\nOnly 0x0 - 0xFF allowed."),
                                                QStringLiteral("Data out of range.\r\nOnly 0x0 - 0xFF allowed.")}));
    EXPECT_EQ(CommandCount(QStringLiteral("WriteFlash")), writes);
}

TEST_F(FlashView, EditingNeedsAComponentThatAllowsIt)
{
    CFlashMemoryDlg *view = ProgramAndView([this](CCorvaneDoc &doc) {
        doc.m_strCvtcFile = WriteComponent({QStringLiteral("edit = 0")});
    });
    ASSERT_NE(view, nullptr);
    emit view->Grid()->cellDoubleClicked(3, 4);
    EXPECT_EQ(prompter->messages,
              QStringList {QStringLiteral("The current CVTC does not allow editing individual flash\r\nmemory locations. "
                                          "Check CVTC code for correct Communications\r\nprotocol and to determine if "
                                          "flash memory hardware allows\r\nediting operations.")});
}

TEST_F(FlashView, SaveAsTextWritesThePageGroupedByTheDisplayWidth)
{
    CFlashMemoryDlg *view = ProgramAndView();
    ASSERT_NE(view, nullptr);
    const QString path = scratch.Path(QStringLiteral("page.txt"));
    QFile(path).open(QIODevice::WriteOnly);  // an older file is replaced
    fileDialogs.answers = {path};
    ControlOf<QPushButton>(*view, Id::SaveAsTextButton)->click();
    ASSERT_EQ(fileDialogs.requests.size(), 1);
    EXPECT_EQ(fileDialogs.requests[0].filter, QStringLiteral("Text File (*.txt)|*.txt"));
    EXPECT_EQ(fileDialogs.requests[0].initialName, QStringLiteral("flashdata"));
    EXPECT_EQ(fileDialogs.requests[0].defaultSuffix, QStringLiteral("txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(lines.size(), 18);
    EXPECT_EQ(lines[0], QByteArray("Loc 0 to FF\r"));
    EXPECT_EQ(lines[1], QByteArray("00000000: 43 6F 72 76 61 6E 65 20 64 65 6D 6F 20 69 6D 61 \r"));
}

} // namespace
