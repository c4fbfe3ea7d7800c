#pragma once

#include "ElfProgram.h"
#include "debugger/EventLoopDspUser.h"
#include "debugger/SetupBoard.h"
#include "debugger/Subfamily.h"

#include <memory>
#include <optional>

class CGdbServerProcess;
class CGdbTarget;

// A processor reached through a GDB server. "TargetConnect" opens the
// connection (starting the server first when the setup says how); it closes
// with this object. Programs are ARM ELF files, loaded over the connection;
// their symbol tables give the symbols. Halts and load ends are delivered
// from the event loop.
class CGdbDspUser : public CEventLoopDspUser {
public:
    static constexpr qint32 kTargetConnectId = 1;
    static constexpr qint32 kMaxBlockBytes = 64 << 20;
    static constexpr qint32 kZeroFillBytes = 0x10000;

    CGdbDspUser(const SetupGdbServer &server, const SubfamilyInfo &subfamily, bool bigEndian);
    ~CGdbDspUser() override;

    std::shared_ptr<IDspValue> CreateAddressValue(quint32 address) override;
    std::shared_ptr<IDspMemory> CreateMemory(const IDspValue &start, qint32 elementCount, quint32 page) override;
    bool ReadBlock(IDspMemory &block) override;
    bool WriteBlock(IDspMemory &block) override;
    void Run() override;
    void Halt() override;
    void SetBreakpoint(const IDspValue &location) override;
    void RemoveBreakpoint(const IDspValue &location) override;
    bool FindSymbol(const QString &name, IDspValue &value) override;
    bool LoadProgram(const QString &path) override;
    qint32 Family() override { return m_subfamily.family; }
    qint32 Subfamily() override { return m_subfamily.code; }
    qint32 NamedMethodId(const QString &name) override;
    void InvokeNamedMethod(qint32 id) override;

private:
    CGdbTarget &Target() const;
    void Connect();
    void OnStopped();
    QString Load(const QString &path, const QByteArray &file);
    bool WriteSegment(const CElfProgram::Segment &segment);

    SetupGdbServer m_server;
    SubfamilyInfo m_subfamily;
    bool m_bBigEndian;
    std::unique_ptr<CGdbServerProcess> m_pServerProcess;
    std::unique_ptr<CGdbTarget> m_pTarget;   // ends before the server
    std::optional<CElfProgram> m_program;
};
