#pragma once

#include <QByteArray>
#include <QString>

// Collects the texts of the current operation in a bounded buffer, hands each
// to the prompter as it comes (LogAdded), shows them through the prompter and
// writes them to the log file when the program ends. The file starts with a
// time stamp and keeps the trace of how the connection was made; a user is
// shown the messages only, and each message once: a box shows those added
// since the last box, so that an earlier failure is not shown with a later one.
class CMessageLog {
public:
    static constexpr qsizetype kMaxBufferLength = 384;

    explicit CMessageLog(const QString &applicationName = QStringLiteral("Corvane"));
    ~CMessageLog();
    CMessageLog(const CMessageLog &) = delete;
    CMessageLog &operator=(const CMessageLog &) = delete;

    // An empty path selects the default name "Log<application>.txt" in the
    // current directory, which is replaced (CReplacingFile) when written.
    void SetPath(const QString &path);
    void Add(const QString &text);
    // A line of the connection's trace: written to the log file, not shown to a user.
    void AddTrace(const QString &text);
    // Adds `text`, then shows the messages added since the last were shown (none: no box).
    void AddAndShow(const QString &text = QString());
    // Empties the buffer, unless the reporter keeps the log of a failed run (KeepsLog).
    void Clear();
    // Writes the buffer to the log file and empties it, whether or not the file could be written.
    void Flush();

    const QByteArray &Buffer() const { return m_buffer; }
    // The messages not yet shown, as a user is shown them.
    const QString &Messages() const { return m_messages; }
    QString DefaultFileName() const;

private:
    static QByteArray TimeStampLine();
    void AddToBuffer(const QString &text);

    QString m_applicationName;
    QByteArray m_buffer;
    QString m_messages;
    QString m_path;
};

// The program's one message log.
extern CMessageLog theLog;
