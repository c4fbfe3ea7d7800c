#pragma once

#include "support/RecordingPrompter.h"
#include "support/ScopedAppSettings.h"
#include "support/TargetTestSupport.h"
#include "ui/CorvaneView.h"
#include "ui/FileDialogs.h"
#include "ui/MainFrame.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

class CCorvaneDoc;
class CFlashMemoryDlg;
class QDialog;

// File dialogs that answer from a script and record what they were asked.
class ScopedFileDialogs {
public:
    ScopedFileDialogs();
    ~ScopedFileDialogs();
    QStringList answers;                      // paths to give, in order; cancelled when empty
    QList<CFileDialogs::Request> requests;    // what was asked
    QStringList folders;                      // where each dialog started

private:
    std::unique_ptr<CFileDialogs> m_previous;
};

// How often the simulated processor answered `command` ("WriteFlash") since it was connected.
int CommandCount(const QString &command);

// Runs `act` on the modal dialog that the caller opens next, from inside its event loop.
void WhenModalOpens(const std::function<void(QDialog &)> &act);

// The main window over a simulated board for one test: interactive settings,
// recorded message boxes, scripted file dialogs, instant simulated work,
// timers of a millisecond and seconds of the answer time-out of 10 ms. The scratch folder holds the example image and a
// simulated 64x target component with 256 KiB of flash at 0x90000000.
class GuiTest : public ::testing::Test {
protected:
    static constexpr const char *kBoard64x = "Simulator 64x (CPU)";

    GuiTest();
    ~GuiTest() override;

    // Writes a component file of the example's settings and `extra` lines.
    QString WriteComponent(const QStringList &extra = {}) const;
    // Writes a document for the 64x board, the component and the example image, changed by `edit`.
    QString WriteDocument(const std::function<void(CCorvaneDoc &)> &edit = {},
                          const QString &name = QStringLiteral("board.cdd"));
    // Opens a document and waits until its target component is downloaded and the form idle.
    void OpenReadyDocument(const QString &path);

    CCorvaneView &View();
    CFormModel &Model();
    template <typename T>
    T *Widget(int id);
    bool WaitUntil(const std::function<bool()> &done) { return ProcessEventsUntil(done, 20000); }
    // Waits until the target component is downloaded and the form idle.
    bool WaitReady();
    // Clicks a push button of the form.
    void Click(int id);
    // The flash memory view once it is shown and done reading.
    CFlashMemoryDlg *OpenFlashView();

    SimScratch scratch;
    ScopedEnvironment builtInBoards {"CORVANE_SETUP", QByteArray()};  // the simulated boards, one per sub-family
    ScopedAppSettings settings {QString()};
    ScopedRecordingPrompter prompter;
    ScopedFileDialogs fileDialogs;
    std::unique_ptr<CMainFrame> frame;
};

template <typename T>
T *GuiTest::Widget(int id)
{
    return qobject_cast<T *>(View().Control(id));
}
