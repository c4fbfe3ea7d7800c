#pragma once

#include "support/CorvaneProcess.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>

// A scratch folder with a simulated board for runs of the corvane binary: the
// simulated target component file, a text configuration naming the board, the
// image files, and the simulator's state folder. Durations are zero.
class SimulatedBoard {
public:
    struct Piece {
        quint32 unitAddress;  // target address in address units
        QByteArray data;
    };

    // `subfamily` as the connection list names it ("64x", "54x", ...).
    explicit SimulatedBoard(const QString &subfamily);

    QString Path(const QString &name) const { return m_dir.filePath(name); }
    void WriteFile(const QString &name, const QByteArray &content) const;
    QByteArray ReadFile(const QString &name) const;

    // An executable script `name` in the folder's bin; returns the PATH assignment that puts it first.
    QString WriteProgram(const QString &name, const QByteArray &script) const;
    // component.sim with these `key = value` lines.
    void WriteComponent(const QStringList &lines) const;
    // board.txt naming the board, component.sim and `burnFile`, with `extraLines` after them.
    void WriteConfig(const QString &burnFile, const QStringList &extraLines = {}) const;
    // A flash of `flashBytes` at 0, and board.txt naming a.hex, which holds `image` at 0.
    void WriteSmallBoard(quint32 flashBytes, const QByteArray &image) const;

    // Images of `pieces` in the given form; word-addressed targets pass 2 as unit.
    void WriteSRecords(const QString &name, const QList<Piece> &pieces, int addressBytes, int unit) const;
    void WriteTiHex(const QString &name, const QList<Piece> &pieces) const;
    // Code Composer data: `words` of `wordBytes` each, numbered from 0.
    void WriteCcsData(const QString &name, const QList<quint32> &words, int wordBytes) const;

    // Runs with `extraEnvironment` ("NAME=value") on top of the board's.
    CorvaneResult Run(const QStringList &arguments, const QStringList &extraEnvironment = {},
                      const ChildSetUp &inChild = {}) const;
    // Starts a run that the test waits for or ends.
    void Start(QProcess &process, const QStringList &arguments, const QStringList &extraEnvironment = {},
               const ChildSetUp &inChild = {}) const;
    // Runs with the arguments as bytes (names that are not valid UTF-8).
    CorvaneResult RunWithBytes(const QList<QByteArray> &arguments) const;
    // board.txt -t -c ARGUMENTS
    CorvaneResult RunConfig(const QStringList &arguments) const;

    // The simulated flash as stored in the state folder (empty before the first run).
    QByteArray Flash() const;
    QByteArray UserData() const;
    QByteArray Log() const { return ReadFile(QStringLiteral("LogCorvane.txt")); }
    // FlashData.txt read back: the offset of its first line and the bytes of all lines.
    QByteArray DumpedBytes(quint32 *firstOffset = nullptr, QList<quint32> *lineOffsets = nullptr) const;

    static QByteArray RandomBytes(int count, unsigned seed);

private:
    QProcessEnvironment Environment(const QStringList &extraEnvironment) const;

    QTemporaryDir m_dir;
    QString m_strConnection;
};
