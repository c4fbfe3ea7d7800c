#pragma once

#include "FocusKeeper.h"
#include "form/FormModel.h"

#include <QWidget>

#include <functional>
#include <map>
#include <memory>

class CCorvaneDoc;
class CDebuggerWindow;
class CExchangeWindow;
class CSimulatorWindow;
class QGroupBox;
class QLineEdit;

namespace Ui {
class CorvaneView;
}

// The main form: the widgets of the form template, each bound by its control
// number to the form model. It shows what the model's controls hold and hands
// the user's input and commands to the model.
class CCorvaneView : public QWidget {
    Q_OBJECT
public:
    explicit CCorvaneView(CCorvaneDoc &doc, QWidget *parent = nullptr, FormTimerPeriods periods = {});
    ~CCorvaneView() override;

    CFormModel &Model() { return *m_model; }
    CCorvaneDoc &Doc() { return m_doc; }
    // The widget of a control number; null for a number the form does not have.
    QWidget *Control(int id) const;
    // The group boxes of the steps grey only their titles; this tells whether one is shown enabled.
    bool IsGroupTitleEnabled(int id) const;
    // The size the form needs to show all its controls.
    QSize RequiredSize() const;

    // The document is shown for the first time: fills the form, connects and starts the automatic download.
    void OnInitialUpdate();
    // All views are told that the document changed: the erase progress timer stops.
    void OnUpdate();

    // Commands of the menus and toolbar that the form answers.
    bool IsCommandEnabled(int command) const;
    void OnCommand(int command);
    // Whether the debugger window (the simulator window for a simulated processor) is visible.
    bool IsCodeComposerVisible() const;
    // The debugger window of the connection, when it has been shown.
    CSimulatorWindow *SimulatorWindow() const;
    CExchangeWindow *ExchangeWindow() const;

    // The text of the one-page print-out.
    QString SummaryText() const;

signals:
    // The Close button: the document wants to close.
    void CloseRequested();
    // A control changed; the frame updates its commands.
    void StateChanged();
    // The form's layout changed, and with it perhaps the size it needs.
    void RequiredSizeChanged();

protected:
    bool event(QEvent *event) override;

private:
    void BindControls();
    void ConnectInput(int id, QWidget *widget);
    void OnButton(int id);
    void ApplyAll();
    void ApplyControl(int id);
    static void ApplyEditState(QLineEdit &edit, const ControlState &state);
    void ApplyConnectionList();
    void ApplyProgress();
    void SetGroupTitleEnabled(QGroupBox *group, bool enabled);
    void Browse(int buttonId);
    void StartProgramming();
    void ShowCodeComposer();
    void SyncDebuggerWindow();
    QLineEdit *FocusedFileEdit() const;
    // Runs a handler entered from the event loop; a debugger failure fails the running operation.
    void Handle(const std::function<void()> &handler);

    CCorvaneDoc &m_doc;
    std::unique_ptr<Ui::CorvaneView> m_ui;
    std::unique_ptr<CFormModel> m_model;
    std::map<int, QWidget *> m_controls;
    std::unique_ptr<CDebuggerWindow> m_debuggerWindow;
    CFocusKeeper m_focusKeeper;
};
