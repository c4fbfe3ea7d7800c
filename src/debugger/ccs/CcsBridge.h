#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// A bridge program of the ccs backend (docs/ccs-bridge.md): started without a
// shell, it ends with this object (a close request, then the end of its
// standard input) and with Corvane however Corvane ends. Requests go one at a
// time: Call waits for the answer, blocking on the bridge alone; Post returns
// at once and its answer is handed over from the event loop.
//
// A bridge that ends, writes what is no answer or keeps an answer past its
// time raises CAutomationError naming `where`; after that every call raises
// the same failure. Its standard error goes to the log when it fails.
class CCcsBridge : public QObject {
    Q_OBJECT
public:
    static constexpr qint32 kProtocol = 1;
    static constexpr qint32 kCloseMs = 5000;
    static constexpr qsizetype kMaxLineBytes = 64 << 20;
    static constexpr qsizetype kKeptErrorBytes = 2000;
    static constexpr qsizetype kShownChars = 120;

    // An answer: the result, or the debugger's words and whether its time ran out.
    struct Answer {
        QJsonObject result;
        std::optional<QString> error;
        bool timedOut = false;
    };
    using AnswerHandler = std::function<void(const Answer &)>;

    // `where` names the debugger in failures: "CCS debugger (C28xx_CPU1)".
    CCcsBridge(const QString &where, const QString &program, const QStringList &arguments);
    ~CCcsBridge() override;

    // Starts the program and waits for its greeting; `bridge` is the kind it must
    // say ("scripting", "dss").
    void Start(const QString &bridge, qint32 timeoutMs);
    // Sends `op` with `arguments` and returns its answer, given within `timeoutMs`.
    Answer Call(const QString &op, const QJsonObject &arguments, qint32 timeoutMs);
    // Sends `op` and returns; `handler` gets the answer from the event loop. A
    // Call meanwhile first waits for this answer (up to `timeoutMs`) and hands it over.
    void Post(const QString &op, const QJsonObject &arguments, qint32 timeoutMs, AnswerHandler handler);
    // Asks the bridge to close and waits for its end; kills it when it does not end in time.
    void Close();
    // Adds the bridge's newest standard error output to the log (once).
    void LogStandardError();

signals:
    // The bridge failed while no call waited (it ended, or wrote nonsense).
    void Lost(const QString &reason);

private:
    struct Posted {
        qint64 id;
        QString op;
        qint32 timeoutMs;
        AnswerHandler handler;
    };

    qint64 Send(const QString &op, const QJsonObject &arguments);
    QJsonObject AwaitLine(qint64 id, const QString &op, qint32 timeoutMs, bool passOverNoise = false);
    Answer AwaitAnswer(qint64 id, const QString &op, qint32 timeoutMs);
    void FinishPosted();
    std::optional<QByteArray> TakeLine();
    QJsonObject Parse(const QByteArray &line, qint64 id, const QString &op);
    void OnReadyRead();
    void OnFinished();
    void OnStandardError();
    QString EndedText() const;
    [[noreturn]] void Fail(const QString &text);
    void CheckUsable() const;
    void Stop();

    QString m_strWhere;
    QProcess m_process;
    qint64 m_nLastId = 0;
    std::optional<Posted> m_posted;
    bool m_bWaiting = false;
    bool m_bClosing = false;
    QByteArray m_errors;      // the newest standard error output
    QString m_strBroken;
};
