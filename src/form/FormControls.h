#pragma once

#include "debugger/ConnectionList.h"

#include <QObject>
#include <QString>

#include <map>

// What one control of the main form shows.
struct ControlState {
    QString text;
    bool enabled = true;
    bool visible = true;
    bool checked = false;
    bool readOnly = false;
    bool invalid = false;  // the text is not a value the field takes
};


// The main form's controls without widgets: texts, states, the connection list
// and the progress bar. The widget form shows it and reports the user's input.
class CFormControls : public QObject {
    Q_OBJECT
public:
    CFormControls();

    const ControlState &Control(int id) const;
    QString Text(int id) const { return Control(id).text; }
    bool IsChecked(int id) const { return Control(id).checked; }
    bool IsEnabled(int id) const { return Control(id).enabled; }
    bool IsVisible(int id) const { return Control(id).visible; }

    void SetText(int id, const QString &text);
    void SetEnabled(int id, bool enabled);
    void SetVisible(int id, bool visible);
    void SetChecked(int id, bool checked);
    void SetReadOnly(int id, bool readOnly);
    void SetInvalid(int id, bool invalid);

    // Connection list
    const CConnectionList &Connections() const { return m_connections; }
    void SetConnections(const CConnectionList &connections);
    int Selection() const { return m_selection; }
    void SetSelection(int index);
    // The selected entry, or an entry with item value 0 when none is selected.
    CConnectionList::Entry SelectedConnection() const;

    // Progress bar
    int ProgressLow() const { return m_progressLow; }
    int ProgressHigh() const { return m_progressHigh; }
    int ProgressPosition() const { return m_progressPosition; }
    void SetProgressRange(int low, int high);
    void SetProgressPosition(int position);

signals:
    // A control's state changed (ControlId value); the connection list and progress bar included.
    void Changed(int id);

private:
    ControlState &Mutable(int id);
    template <typename T>
    void Store(int id, T ControlState::*member, const T &value);

    std::map<int, ControlState> m_controls;
    CConnectionList m_connections;
    int m_selection = -1;
    int m_progressLow = 0;
    int m_progressHigh = 100;
    int m_progressPosition = 0;
};
