#pragma once

#include "RecentFileList.h"
#include "config/ControlIds.h"
#include "form/FormModel.h"

#include <QMainWindow>

#include <map>
#include <memory>
#include <optional>

class CChildFrame;
class CCorvaneDoc;
class CCorvaneView;
class CStatusText;
class QLabel;
class QPrinter;

// The main window: the menus (one set without and one with a document), the
// toolbar, the status bar, the one open configuration document with its form,
// the recent documents, printing and help. It keeps its position in the
// profile and has a fixed size, 550 × 550 until a form needs more.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    static constexpr const char *kCaption = "Corvane";
    static constexpr const char *kContextHelpTopic = "Welcome.htm";

    explicit CMainFrame(FormTimerPeriods periods = {});
    ~CMainFrame() override;

    CCorvaneDoc *Document() const { return m_doc.get(); }
    CCorvaneView *View() const;
    QLabel *MessagePane() const { return m_messagePane; }
    // The menu and toolbar action of a command; null for one the frame does not have.
    QAction *Action(int command) const;
    CRecentFileList &RecentFiles() { return m_recent; }
    // Display names of the recent documents, as the File menu shows them.
    QStringList RecentDisplayNames() const;

    // Commands of the menus, the toolbar, the keys and the start-up dialog.
    void OnCommand(int command);
    // Runs a command from the event loop later, as a posted message would.
    void PostCommand(int command);
    bool IsCommandEnabled(int command) const;
    // Enables the actions and sets the texts that depend on the state.
    void UpdateCommandUI();

    // The document framework: each returns false when nothing changed.
    bool OpenDocument(const QString &path);
    bool NewDocument();
    // Offers to save a modified document, then closes it; false when it stays open.
    // While an erase or programming runs it offers to abort it first, and once
    // the operation has ended runs `retryCommand` (Close or Exit) again.
    bool CloseDocument(int retryCommand = MenuCommand::FileClose);
    bool SaveDocument(bool chooseNewPath);

    // Grows the window so that its client area holds a form of `formSize` with a margin.
    void FitToForm(const QSize &formSize);
    // Another copy asked this one to come to the front.
    void Activate();

signals:
    // The window was closed; the program ends.
    void Closed();

protected:
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Place();
    void ResizeOnScreen(const QSize &wanted);
    QRect FrameRect() const;
    QRect ShownFrameRect() const;
    void SettleFramePosition();
    void SavePlacement();
    void CreateActions();
    void BuildMenus();
    void BuildToolBar();
    void BuildStatusBar();
    void UpdateTitle();
    void ShowDocument(std::unique_ptr<CCorvaneDoc> doc);
    bool AbortsRunningOperation(int retryCommand);
    void DestroyDocument();
    void ReplaceClient(QWidget *client);
    QString ChooseSavePath();
    void OpenWithDialog();
    void OpenRecent(int index);
    QPrinter &Printer();
    void OnPrint();
    void OnPrintPreview();
    void OnPrintSetup();

    FormTimerPeriods m_periods;
    std::map<int, QAction *> m_actions;
    QList<QAction *> m_recentActions;
    std::unique_ptr<CCorvaneDoc> m_doc;
    CChildFrame *m_child = nullptr;
    QLabel *m_messagePane = nullptr;
    QList<QWidget *> m_indicators;  // CAP, NUM and SCRL beside the message pane
    CRecentFileList m_recent;
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<CStatusText> m_previousStatusText;
    // Where the frame's top left corner was last put; none while the system places it.
    std::optional<QPoint> m_askedFramePosition;
    // Where the frame was when it was asked to its position again.
    std::optional<QPoint> m_misplacedFramePosition;
};
