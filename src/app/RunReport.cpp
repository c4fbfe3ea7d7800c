#include "RunReport.h"

#include "CorvaneApp.h"
#include "base/ReplacingFile.h"
#include "flash/FlashSession.h"
#include "flash/ProgramOperation.h"
#include "flash/SaveFlashDataOperation.h"
#include "flash/SendUserFileOperation.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

// The operations a report lists, by their report names; others are parts of these.
QString KindName(FlashOperationKind kind)
{
    switch (kind) {
    case FlashOperationKind::Handshake: return QStringLiteral("handshake");
    case FlashOperationKind::Erase: return QStringLiteral("erase");
    case FlashOperationKind::Program: return QStringLiteral("program");
    case FlashOperationKind::SendUserFile: return QStringLiteral("send_user_file");
    case FlashOperationKind::SaveFlashData: return QStringLiteral("save_flash_data");
    default: return {};
    }
}

QString OutcomeName(OperationOutcome outcome)
{
    switch (outcome) {
    case OperationOutcome::Succeeded: return QStringLiteral("succeeded");
    case OperationOutcome::Failed: return QStringLiteral("failed");
    case OperationOutcome::Aborted: return QStringLiteral("aborted");
    }
    return {};
}

QString Timestamp(const QDateTime &time)
{
    return time.toUTC().toString(Qt::ISODateWithMs);
}

QString Absolute(const QString &path)
{
    return path.isEmpty() ? QString() : QDir::current().absoluteFilePath(path);
}

} // namespace

CRunReport::CRunReport(const QString &path)
    : m_strPath(path)
    , m_started(QDateTime::currentDateTimeUtc())
{
    m_clock.start();
}

void CRunReport::Watch(const CFlashSession &session)
{
    m_session = &session;
    connect(&session, &CFlashSession::OperationStarted, this, &CRunReport::OnStarted);
    connect(&session, &CFlashSession::OperationEnded, this, &CRunReport::OnEnded);
}

void CRunReport::OnStarted(FlashOperationKind kind)
{
    const QString name = KindName(kind);
    if (name.isEmpty())
        return;
    m_open.append({m_operations.size(), kind, m_clock.elapsed()});
    m_operations.append(QJsonObject{{QStringLiteral("kind"), name}});
}

// The form may start the next operation before this hears of the end of the last one: ends are matched by kind.
void CRunReport::OnEnded(FlashOperationKind kind, OperationOutcome outcome)
{
    const auto open = std::find_if(m_open.crbegin(), m_open.crend(),
                                   [kind](const OpenOperation &candidate) { return candidate.kind == kind; });
    if (open == m_open.crend())
        return;
    const OpenOperation ended = *open;
    m_open.erase(std::next(open).base());
    QJsonObject operation = m_operations.at(ended.index).toObject();
    operation.insert(QStringLiteral("milliseconds"), m_clock.elapsed() - ended.startMs);
    operation.insert(QStringLiteral("result"), OutcomeName(outcome));
    switch (kind) {
    case FlashOperationKind::Program: {
        const CProgramOperation &program = m_session->Program();
        operation.insert(QStringLiteral("file"), Absolute(program.Job().imagePath));
        operation.insert(QStringLiteral("bytes_written"), program.Done().written);
        operation.insert(QStringLiteral("bytes_skipped"), program.Done().skipped);
        operation.insert(QStringLiteral("bytes_verified"), program.Done().verified);
        break;
    }
    case FlashOperationKind::SendUserFile:
        operation.insert(QStringLiteral("file"), Absolute(m_session->SendUserFile().Path()));
        operation.insert(QStringLiteral("bytes_written"), m_session->SendUserFile().BytesSent());
        break;
    case FlashOperationKind::SaveFlashData:
        operation.insert(QStringLiteral("file"), Absolute(QString::fromLatin1(CSaveFlashDataOperation::kFileName)));
        operation.insert(QStringLiteral("bytes_read"), qint64(m_session->SaveFlashData().BytesRead()));
        break;
    default: break;
    }
    m_operations.replace(ended.index, operation);
}

QJsonValue CRunReport::TargetJson() const
{
    if (m_target.protocolId == 0)
        return QJsonValue::Null;
    return QJsonObject{
        {QStringLiteral("protocol_id"), m_target.protocolId},
        {QStringLiteral("version"), m_target.versionText},
        {QStringLiteral("buffer_bytes"), m_target.maxDataBytes},
        {QStringLiteral("flash_base"), qint64(m_target.flashBase)},
        {QStringLiteral("flash_size"), qint64(m_target.flashSize)},
    };
}

QByteArray CRunReport::Json(int exitStatus, const QString &message) const
{
    const QJsonObject report{
        {QStringLiteral("format"), kFormat},
        {QStringLiteral("program"), QStringLiteral("Corvane")},
        {QStringLiteral("version"), CCorvaneApp::GetFileVersionString()},
        {QStringLiteral("started"), Timestamp(m_started)},
        {QStringLiteral("ended"), Timestamp(QDateTime::currentDateTimeUtc())},
        {QStringLiteral("document"), m_strDocument},
        {QStringLiteral("connection"), m_strConnection},
        {QStringLiteral("target"), TargetJson()},
        {QStringLiteral("operations"), m_operations},
        {QStringLiteral("outcome"),
         QJsonObject{{QStringLiteral("result"), exitStatus == 0 ? QStringLiteral("succeeded") : QStringLiteral("failed")},
                     {QStringLiteral("exit_status"), exitStatus},
                     {QStringLiteral("message"), message}}},
    };
    return QJsonDocument(report).toJson(QJsonDocument::Indented);
}

QString CRunReport::Write(int exitStatus, const QString &message) const
{
    return CReplacingFile::WriteWhole(m_strPath, Json(exitStatus, message));
}
