#include "SimMonitor.h"

#include "wire/CommMessage.h"
#include "wire/CommandName.h"

namespace {
// Words shown even when zero: the commands in use carry up to three.
constexpr int kShownParamWords = 3;
} // namespace

CSimMonitor &theSimMonitor()
{
    static CSimMonitor monitor;
    return monitor;
}

void CSimMonitor::OnConnected(const void *processor, const QString &board, const QString &name,
                              const QString &subfamily)
{
    m_pProcessor = processor;
    m_strProcessor = QStringLiteral("%1 (%2), %3").arg(board, name, subfamily);
    m_strComponent.clear();
    m_records.clear();
    emit Changed();
}

void CSimMonitor::OnReleased(const void *processor)
{
    if (processor != m_pProcessor)
        return;
    m_pProcessor = nullptr;
    m_strProcessor.clear();
    m_strComponent.clear();
    m_records.clear();
    emit Changed();
}

void CSimMonitor::OnLoaded(const void *processor, const QString &path)
{
    if (processor != m_pProcessor)
        return;
    m_strComponent = path;
    emit Changed();
}

void CSimMonitor::OnExchanged(const void *processor, const CommMessage &request, const CommMessage &answer)
{
    if (processor != m_pProcessor || !m_bRecording)
        return;
    const SimExchangeRecord record {CommandName(request.Command()), ParameterText(request),
                                    CommandName(answer.Command()) + u' ' + ParameterText(answer)};
    if (m_records.size() >= kMaxRecords)
        m_records.removeFirst();
    m_records.append(record);
    emit Exchanged(record);
}

QString CSimMonitor::ParameterText(const CommMessage &message)
{
    int used = kShownParamWords;
    for (int i = kShownParamWords; i < CommMessage::kParamWords; ++i) {
        if (message.Param(i) != 0)
            used = i + 1;
    }
    QStringList words;
    for (int i = 0; i < used; ++i)
        words.append(QString::asprintf("0x%04X", message.Param(i)));
    return words.join(u' ');
}
