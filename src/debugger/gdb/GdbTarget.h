#pragma once

#include "GdbFrame.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QMap>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class CGdbConnection;

// A target as a GDB server serves it: memory, breakpoints, the pc and run
// control, in the commands the server supports. Requests wait for their
// answers; a resumed target's stop is announced with Stopped, from the event
// loop. A resume from a breakpoint steps over it first. Failures raise
// CAutomationError; a target that exited raises it on every call after (and,
// while it ran, is announced with Lost).
class CGdbTarget : public QObject {
    Q_OBJECT
public:
    static constexpr qint32 kDefaultPacketSize = 400;
    static constexpr qint32 kMaxPacketSize = 0x10000;
    static constexpr int kArmPcRegister = 15;
    static constexpr int kBreakpointKind = 4;   // an ARM instruction

    CGdbTarget(std::unique_ptr<CGdbConnection> connection, bool bigEndian);
    // Detaches; a failure then is added to the log.
    ~CGdbTarget() override;

    // Learns what the server supports and that the target is there and stopped.
    void Start();

    // Nothing when the target refuses (the refusal is added to the log).
    std::optional<QByteArray> ReadMemory(quint32 address, qint32 count);
    bool WriteMemory(quint32 address, const QByteArray &bytes);

    void InsertBreakpoint(quint32 address);
    void RemoveBreakpoint(quint32 address);
    void RemoveBreakpoints();

    quint32 Pc();
    void SetPc(quint32 pc);

    bool IsRunning() const { return m_bRunning; }
    // Lets the target run; returns at once.
    void Resume();
    // Stops a running target and waits until it has.
    void Interrupt();

signals:
    // A resumed target stopped by itself.
    void Stopped();
    // The connection failed while the target ran: no stop will come.
    void Lost(const QString &reason);

private:
    QByteArray Ask(QByteArrayView packet);
    QByteArray Ask(CGdbFrame &frame);
    void AskOk(QByteArrayView packet);
    [[noreturn]] void Reject(QByteArrayView packet, const QByteArray &answer) const;
    void LogRefusal(QByteArrayView packet, const QByteArray &answer) const;
    void CheckHalted(QByteArrayView packet) const;
    void PassOver(const QByteArray &packet);
    [[noreturn]] void EndTarget(const QByteArray &exit);

    void ReadFeatures();
    std::optional<QByteArray> ReadDescription(const QString &annex);
    void ProbeBinaryWrite(quint32 address);
    qsizetype WritePacket(quint32 address, QByteArrayView bytes);
    qsizetype PayloadRoom() const;

    QByteArray ReadRegisters();
    quint32 ReadPc();
    bool TookSingleRegister(std::optional<bool> &taken, const QByteArray &packet, const QByteArray &answer,
                            bool accepted);
    QByteArray WordBytes(quint32 value) const;
    quint32 WordValue(const QByteArray &bytes) const;

    QByteArray ContinuePacket() const;
    void StepOver(quint32 address);
    QByteArray AwaitStopReply(const QByteArray &request);
    void TakeStopReply(QByteArrayView request, const QByteArray &reply);
    void OnArrived();
    void Detach();

    std::unique_ptr<CGdbConnection> m_pConnection;
    CGdbFrame m_frame;                   // the packet being sent
    bool m_bBigEndian;
    qint32 m_nPacketSize = kDefaultPacketSize;
    bool m_bDescription = false;
    bool m_bContinueAction = false;   // vCont;c
    bool m_bStepAction = false;       // vCont;s
    std::optional<bool> m_binaryWrite;
    int m_nPcRegister = kArmPcRegister;
    std::optional<bool> m_singleRead;    // p taken
    std::optional<bool> m_singleWrite;   // P taken
    char m_breakpointType = '0';
    QMap<quint32, char> m_breakpoints;   // inserted, with their type
    bool m_bRunning = false;
    std::optional<quint32> m_knownPc;    // read since the target last moved
    QElapsedTimer m_running;             // since the last resume
    qint64 m_nRunningMs = 0;             // between resumes and stops, in all
    QString m_strGone;                   // why the target is gone
};
