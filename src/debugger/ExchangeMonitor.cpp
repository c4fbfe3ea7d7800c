#include "debugger/ExchangeMonitor.h"

CExchangeMonitor &theGdbMonitor()
{
    static CExchangeMonitor monitor;
    return monitor;
}

CExchangeMonitor &theCcsMonitor()
{
    static CExchangeMonitor monitor;
    return monitor;
}

void CExchangeMonitor::OnConnected(const QString &server)
{
    Reset(server);
}

void CExchangeMonitor::OnClosed(const QString &server)
{
    if (server == m_strServer)
        Reset(QString());
}

void CExchangeMonitor::Reset(const QString &server)
{
    m_strServer = server;
    m_records.clear();
    emit Changed();
}

void CExchangeMonitor::OnExchange(bool sent, const QString &text)
{
    if (!m_bRecording)
        return;
    const ExchangeRecord record {sent, text};
    if (m_records.size() >= kMaxRecords)
        m_records.removeFirst();
    m_records.append(record);
    emit Recorded(record);
}
