#include "FormControls.h"

#include "config/ControlIds.h"

namespace {
// Controls that the form template creates hidden.
constexpr int kHiddenAtStart[] = {ControlId::Step1DoneIcon, ControlId::DownloadedIcon, ControlId::Step2DoneIcon,
                                  ControlId::ProgressBar,   ControlId::AbortButton,    ControlId::EraseIcon,
                                  ControlId::ProgramIcon,   ControlId::Step3DoneIcon, ControlId::SizeMarker};
} // namespace

CFormControls::CFormControls()
{
    for (int id : kHiddenAtStart)
        m_controls[id].visible = false;
    m_controls[ControlId::ConnectButton].text = QStringLiteral("Dis&connect");
    m_controls[ControlId::DownloadButton].text = QStringLiteral("Download \nCVTC");
    m_controls[ControlId::AbortButton].text = QStringLiteral("Abort");
    for (int id : {ControlId::ProcessorEdit, ControlId::ConnectionStatusEdit, ControlId::CvtcVersionEdit,
                   ControlId::CvtcStatusEdit})
        m_controls[id].readOnly = true;
}

const ControlState &CFormControls::Control(int id) const
{
    static const ControlState kDefault;
    const auto found = m_controls.find(id);
    return found == m_controls.end() ? kDefault : found->second;
}

ControlState &CFormControls::Mutable(int id)
{
    return m_controls[id];
}

void CFormControls::SetText(int id, const QString &text)
{
    Store(id, &ControlState::text, text);
}

void CFormControls::SetEnabled(int id, bool enabled)
{
    Store(id, &ControlState::enabled, enabled);
}

void CFormControls::SetVisible(int id, bool visible)
{
    Store(id, &ControlState::visible, visible);
}

void CFormControls::SetChecked(int id, bool checked)
{
    Store(id, &ControlState::checked, checked);
}

void CFormControls::SetReadOnly(int id, bool readOnly)
{
    Store(id, &ControlState::readOnly, readOnly);
}

void CFormControls::SetInvalid(int id, bool invalid)
{
    Store(id, &ControlState::invalid, invalid);
}

template <typename T>
void CFormControls::Store(int id, T ControlState::*member, const T &value)
{
    if (Control(id).*member == value)
        return;
    Mutable(id).*member = value;
    emit Changed(id);
}

void CFormControls::SetConnections(const CConnectionList &connections)
{
    m_connections = connections;
    m_selection = -1;
    emit Changed(ControlId::ConnectionList);
}

void CFormControls::SetSelection(int index)
{
    m_selection = (index >= 0 && index < m_connections.Entries().size()) ? index : -1;
    emit Changed(ControlId::ConnectionList);
}

CConnectionList::Entry CFormControls::SelectedConnection() const
{
    return m_selection >= 0 ? m_connections.Entries()[m_selection] : CConnectionList::Entry{QString(), 0};
}

void CFormControls::SetProgressRange(int low, int high)
{
    if (m_progressLow == low && m_progressHigh == high)
        return;
    m_progressLow = low;
    m_progressHigh = high;
    emit Changed(ControlId::ProgressBar);
}

void CFormControls::SetProgressPosition(int position)
{
    if (m_progressPosition == position)
        return;
    m_progressPosition = position;
    emit Changed(ControlId::ProgressBar);
}
