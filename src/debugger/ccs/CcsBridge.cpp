#include "CcsBridge.h"

#include "base/MessageLog.h"
#include "debugger/AutomationError.h"
#include "debugger/ExchangeMonitor.h"

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QScopedValueRollback>

#include <csignal>
#include <sys/prctl.h>

namespace {

// A line as the exchange window shows it: long blocks shortened.
QString Shown(const QByteArray &line)
{
    const QString text = QString::fromUtf8(line.trimmed());
    return text.size() > CCcsBridge::kShownChars ? text.left(CCcsBridge::kShownChars) + QStringLiteral("...") : text;
}

} // namespace

CCcsBridge::CCcsBridge(const QString &where, const QString &program, const QStringList &arguments)
    : m_strWhere(where)
{
    m_process.setProgram(program);
    m_process.setArguments(arguments);
    // The bridge ends with Corvane, however Corvane ends; it shuts its debugger down on the way.
    m_process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &CCcsBridge::OnReadyRead);
    connect(&m_process, &QProcess::readyReadStandardError, this, &CCcsBridge::OnStandardError);
    connect(&m_process, &QProcess::finished, this, &CCcsBridge::OnFinished, Qt::QueuedConnection);
}

CCcsBridge::~CCcsBridge()
{
    m_process.disconnect(this);
    Stop();
}

// --- start and end -----------------------------------------------------------

void CCcsBridge::Start(const QString &bridge, qint32 timeoutMs)
{
    m_process.start();
    if (!m_process.waitForStarted(timeoutMs))
        Fail(QStringLiteral("%1: cannot start \"%2\": %3.").arg(m_strWhere, m_process.program(), m_process.errorString()));
    theCcsMonitor().OnConnected(m_strWhere);
    // A debugger's launcher may print before the bridge runs: lines before the greeting that are no JSON are passed over.
    const QJsonObject hello =
        AwaitLine(0, QStringLiteral("hello"), timeoutMs, true).value(QLatin1String("result")).toObject();
    if (hello.value(QLatin1String("bridge")).toString() != bridge
        || hello.value(QLatin1String("protocol")).toInt() != kProtocol)
        Fail(QStringLiteral("%1: \"%2\" is no %3 bridge of protocol %4.")
                 .arg(m_strWhere, m_process.arguments().value(0, m_process.program()), bridge)
                 .arg(kProtocol));
}

void CCcsBridge::Close()
{
    if (m_strBroken.isEmpty() && m_process.state() == QProcess::Running) {
        try {
            Call(QStringLiteral("close"), {}, kCloseMs);
        } catch (const CAutomationError &error) {
            theLog.Add(error.Text() + QStringLiteral("\r\n"));
        }
    }
    Stop();
}

// The end of standard input tells the bridge to end; one that does not in time is killed.
void CCcsBridge::Stop()
{
    m_bClosing = true;
    if (m_process.state() != QProcess::NotRunning) {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(kCloseMs)) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    theCcsMonitor().OnClosed(m_strWhere);
}

// --- requests ----------------------------------------------------------------

qint64 CCcsBridge::Send(const QString &op, const QJsonObject &arguments)
{
    CheckUsable();
    QJsonObject request = arguments;
    request.insert(QStringLiteral("id"), ++m_nLastId);
    request.insert(QStringLiteral("op"), op);
    const QByteArray line = QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n';
    theCcsMonitor().Record(true, [&] { return Shown(line); });
    if (m_process.write(line) != line.size())
        Fail(QStringLiteral("%1: the bridge takes no more requests: %2.").arg(m_strWhere, m_process.errorString()));
    return m_nLastId;
}

CCcsBridge::Answer CCcsBridge::Call(const QString &op, const QJsonObject &arguments, qint32 timeoutMs)
{
    FinishPosted();
    const qint64 id = Send(op, arguments);
    return AwaitAnswer(id, op, timeoutMs);
}

void CCcsBridge::Post(const QString &op, const QJsonObject &arguments, qint32 timeoutMs, AnswerHandler handler)
{
    FinishPosted();
    const qint64 id = Send(op, arguments);
    m_posted = Posted {id, op, timeoutMs, std::move(handler)};
}

// Waits for the posted request's answer and hands it over.
void CCcsBridge::FinishPosted()
{
    if (!m_posted)
        return;
    const Posted posted = *std::exchange(m_posted, std::nullopt);
    posted.handler(AwaitAnswer(posted.id, posted.op, posted.timeoutMs));
}

CCcsBridge::Answer CCcsBridge::AwaitAnswer(qint64 id, const QString &op, qint32 timeoutMs)
{
    const QJsonObject answer = AwaitLine(id, op, timeoutMs);
    Answer result;
    if (answer.contains(QLatin1String("error"))) {
        result.error = answer.value(QLatin1String("error")).toString();
        result.timedOut = answer.value(QLatin1String("timeout")).toBool();
    } else {
        result.result = answer.value(QLatin1String("result")).toObject();
    }
    return result;
}

// The answer line to request `id`, read within `timeoutMs` (and a second for the bridge itself).
QJsonObject CCcsBridge::AwaitLine(qint64 id, const QString &op, qint32 timeoutMs, bool passOverNoise)
{
    const QScopedValueRollback<bool> waiting(m_bWaiting, true);
    const QDeadlineTimer deadline(qint64(timeoutMs) + 1000);
    for (;;) {
        CheckUsable();
        if (const std::optional<QByteArray> line = TakeLine()) {
            if (passOverNoise && !QJsonDocument::fromJson(*line).isObject())
                continue;
            return Parse(*line, id, op);
        }
        if (m_process.state() == QProcess::NotRunning)
            Fail(EndedText());
        if (deadline.hasExpired())
            Fail(QStringLiteral("%1 did not answer \"%2\" within %3 seconds.")
                     .arg(m_strWhere, op, CAutomationError::SecondsText(timeoutMs)));
        m_process.waitForReadyRead(int(std::max<qint64>(deadline.remainingTime(), 1)));
    }
}

std::optional<QByteArray> CCcsBridge::TakeLine()
{
    if (!m_process.canReadLine()) {
        if (m_process.bytesAvailable() > kMaxLineBytes)
            Fail(QStringLiteral("%1: the bridge wrote a line longer than %2 bytes.").arg(m_strWhere).arg(kMaxLineBytes));
        return std::nullopt;
    }
    const QByteArray line = m_process.readLine();
    theCcsMonitor().Record(false, [&] { return Shown(line); });
    return line;
}

QJsonObject CCcsBridge::Parse(const QByteArray &line, qint64 id, const QString &op)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    const QJsonObject answer = document.object();
    if (error.error != QJsonParseError::NoError || !document.isObject())
        Fail(QStringLiteral("%1: the bridge wrote \"%2\", which is no answer.").arg(m_strWhere, Shown(line)));
    if (answer.value(QLatin1String("id")).toInteger(-1) != id
        || !(answer.value(QLatin1String("result")).isObject() || answer.value(QLatin1String("error")).isString()))
        Fail(QStringLiteral("%1: the bridge answered \"%2\" with \"%3\".").arg(m_strWhere, op, Shown(line)));
    return answer;
}

// --- events ------------------------------------------------------------------

void CCcsBridge::OnReadyRead()
{
    if (m_bWaiting || !m_posted || !m_strBroken.isEmpty() || !m_process.canReadLine())
        return;
    try {
        FinishPosted();
    } catch (const CAutomationError &error) {
        emit Lost(error.Text());
    }
}

void CCcsBridge::OnFinished()
{
    if (m_bWaiting || m_bClosing || !m_strBroken.isEmpty())
        return;
    if (m_process.canReadLine())
        OnReadyRead();
    if (m_strBroken.isEmpty()) {
        const QString text = EndedText();
        try {
            Fail(text);
        } catch (const CAutomationError &) {
            emit Lost(text);
        }
    }
}

void CCcsBridge::OnStandardError()
{
    m_errors = (m_errors + m_process.readAllStandardError()).right(kKeptErrorBytes);
}

void CCcsBridge::LogStandardError()
{
    OnStandardError();
    const QByteArray errors = std::exchange(m_errors, {}).trimmed();
    if (!errors.isEmpty())
        theLog.Add(QStringLiteral("Standard error of the bridge \"%1\":\r\n%2\r\n")
                       .arg(m_process.arguments().value(0, m_process.program()), QString::fromLocal8Bit(errors)));
}

QString CCcsBridge::EndedText() const
{
    if (m_process.exitStatus() == QProcess::CrashExit)
        return QStringLiteral("%1 ended: the bridge was killed.").arg(m_strWhere);
    return QStringLiteral("%1 ended: the bridge exited with status %2.").arg(m_strWhere).arg(m_process.exitCode());
}

// --- failures ----------------------------------------------------------------

void CCcsBridge::Fail(const QString &text)
{
    if (m_strBroken.isEmpty()) {
        m_strBroken = text;
        LogStandardError();
    }
    throw CAutomationError::Described(m_strBroken);
}

void CCcsBridge::CheckUsable() const
{
    if (!m_strBroken.isEmpty())
        throw CAutomationError::Described(m_strBroken);
}
