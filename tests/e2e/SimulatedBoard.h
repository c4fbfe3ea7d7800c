#pragma once

#include "support/CorvaneProcess.h"
#include "support/QemuGdbServer.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// A scratch folder with a board for runs of the corvane binary: a simulated
// board (its component file and state folder; durations are zero), QEMU's
// versatilepb with the reference target component, or a processor of the fake
// CCS installation (tests/ccs) through a ccs bridge; a text configuration
// naming the board, and the image files.
class SimulatedBoard {
public:
    struct Piece {
        quint32 unitAddress;  // target address in address units
        QByteArray data;
    };

    // `subfamily` as the connection list names it ("64x", "54x", ...).
    explicit SimulatedBoard(const QString &subfamily);
    // QEMU's versatilepb through the setup file: Corvane starts QEMU, unless
    // the test has started it here first (Qemu().StartHere()).
    struct OnQemu {};
    explicit SimulatedBoard(OnQemu);
    QemuGdbServer &Qemu() { return *m_pQemu; }
    // A processor of `subfamily` of the fake CCS installation (or of the
    // installation `root`), reached through its API `api` ("scripting" or
    // "dss"); `lines` go into its setup section.
    struct OnCcs {
        QString subfamily;
        QString api;
        QStringList lines;
        QString root;
    };
    explicit SimulatedBoard(const OnCcs &ccs);
    // The setup file naming the QEMU board (written again after QEMU started here).
    void WriteQemuSetup() const;

    QString Path(const QString &name) const { return m_dir.filePath(name); }
    void WriteFile(const QString &name, const QByteArray &content) const;
    QByteArray ReadFile(const QString &name) const;

    // An executable script `name` in the folder's bin; returns the PATH assignment that puts it first.
    QString WriteProgram(const QString &name, const QByteArray &script) const;
    // The component file with these `key = value` lines: the simulator's, or
    // the fake CCS program with its symbols.
    void WriteComponent(const QStringList &lines) const;
    // board.txt naming the board, its component and `burnFile`, with `extraLines` after them.
    void WriteConfig(const QString &burnFile, const QStringList &extraLines = {}) const;
    // `name` naming another simulated processor of the folder, by its sub-family, with its component and image.
    void WriteConfigFor(const QString &name, const QString &subfamily, const QString &component,
                        const QString &burnFile) const;
    // A flash of `flashBytes` at 0, and board.txt naming a.hex, which holds `image` at 0.
    void WriteSmallBoard(quint32 flashBytes, const QByteArray &image) const;

    // Images of `pieces` in the given form; word-addressed targets pass 2 as unit.
    void WriteSRecords(const QString &name, const QList<Piece> &pieces, int addressBytes, int unit) const;
    void WriteTiHex(const QString &name, const QList<Piece> &pieces) const;
    enum class ImageForm { SRecords, TiHex, Intel, Tektronix, TektronixExtended, TiTagged, TiTxt, Elf, Binary };
    // An image of byte-addressed `pieces` in `form`: written by srec_cat, linked by the ARM cross compiler
    // (ELF), or (binary) the bytes from the first piece's address on, gaps erased.
    void WriteImage(const QString &name, const QList<Piece> &pieces, ImageForm form) const;
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

    // The flash as the simulator's state folder or QEMU's flash file holds it
    // (empty before the first simulated run).
    QByteArray Flash() const;
    // The flash of another simulated processor of the folder, by its sub-family.
    QByteArray FlashOf(const QString &subfamily) const;
    QByteArray UserData() const;
    QByteArray Log() const { return ReadFile(QStringLiteral("LogCorvane.txt")); }
    // FlashData.txt read back: the offset of its first line and the bytes of all lines.
    QByteArray DumpedBytes(quint32 *firstOffset = nullptr, QList<quint32> *lineOffsets = nullptr) const;

    static QByteArray RandomBytes(int count, unsigned seed);

private:
    void WriteWithSrecCat(const QString &name, const QList<Piece> &pieces, int unit, const QStringList &output) const;
    void WriteElf(const QString &name, const QList<Piece> &pieces) const;
    // Runs a tool in the folder; fails the test when it fails.
    void RunTool(const QString &program, const QStringList &arguments) const;
    QProcessEnvironment Environment(const QStringList &extraEnvironment) const;

    QTemporaryDir m_dir;
    QString m_strConnection;
    QString m_strComponent = QStringLiteral("component.sim");
    std::unique_ptr<QemuGdbServer> m_pQemu;
    bool m_bCcs = false;
};
