#include "GdbMonitor.h"

#include "GdbPacket.h"

CGdbMonitor &theGdbMonitor()
{
    static CGdbMonitor monitor;
    return monitor;
}

void CGdbMonitor::OnConnected(const QString &server)
{
    Reset(server);
}

void CGdbMonitor::OnClosed(const QString &server)
{
    if (server == m_strServer)
        Reset(QString());
}

void CGdbMonitor::Reset(const QString &server)
{
    m_strServer = server;
    m_records.clear();
    emit Changed();
}

void CGdbMonitor::OnPacket(bool sent, QByteArrayView payload)
{
    if (!m_bRecording)
        return;
    const GdbPacketRecord record {sent, CGdbPacket::Shown(payload)};
    if (m_records.size() >= kMaxRecords)
        m_records.removeFirst();
    m_records.append(record);
    emit Recorded(record);
}
