#pragma once

#include "flash/ComponentFacts.h"
#include "flash/FlashOperationKind.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QObject>
#include <QString>

class CFlashSession;

// The JSON report of an unattended run ("--report FILE.json"): what ran,
// operation by operation, and how the run ended. Written whole at the end,
// through a file renamed over the name. The field names are documented in
// docs/command-line.md and stay as they are.
class CRunReport : public QObject {
    Q_OBJECT
public:
    static constexpr int kFormat = 1;

    explicit CRunReport(const QString &path);

    bool IsWanted() const { return !m_strPath.isEmpty(); }
    void SetDocument(const QString &absolutePath) { m_strDocument = absolutePath; }
    void SetConnection(const QString &connection) { m_strConnection = connection; }
    // Records the session's operations as they start and end.
    void Watch(const CFlashSession &session);
    // What the target component told; kept when the session goes.
    void SetTarget(const CComponentFacts &facts) { m_target = facts; }
    // Writes the report; empty on success, else the system's reason.
    QString Write(int exitStatus, const QString &message) const;

private:
    QByteArray Json(int exitStatus, const QString &message) const;
    void OnStarted(FlashOperationKind kind);
    void OnEnded(FlashOperationKind kind, OperationOutcome outcome);
    QJsonValue TargetJson() const;

    QString m_strPath;
    QDateTime m_started;
    QElapsedTimer m_clock;
    QString m_strDocument;
    QString m_strConnection;
    CComponentFacts m_target;
    const CFlashSession *m_session = nullptr;
    QJsonArray m_operations;
    // The operations started and not yet ended: their place in m_operations, kind and m_clock's start.
    struct OpenOperation {
        qsizetype index;
        FlashOperationKind kind;
        qint64 startMs;
    };
    QList<OpenOperation> m_open;
};
