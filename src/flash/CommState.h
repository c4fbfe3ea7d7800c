#pragma once

#include <QList>

// Operations of the main form and the steps within them. Operation and step
// numbers share one range; a (state, sub-state) pair says which step runs next.
namespace Op {
constexpr int Idle = 0;
constexpr int Handshake = 1;
constexpr int Erase = 10;
constexpr int Program = 16;
constexpr int SendUserFile = 28;
constexpr int OpenMemoryView = 32;
constexpr int CommandLineRun = 38;
constexpr int SaveFlashData = 43;
} // namespace Op

namespace Step {
// Handshake
constexpr int SendProtocolIdRequest = 2;
constexpr int ReadProtocolId = 3;
constexpr int ReadMaxBufferSize = 4;
constexpr int ReadVersionIdFixedSize = 5;
constexpr int ReadVersionId = 6;
constexpr int ReadFlashBase = 7;
constexpr int ReadFlashSize = 8;
// Erase
constexpr int EraseStart = 11;
constexpr int EraseReadEstimate = 12;
constexpr int EraseFinished = 13;
constexpr int EraseAborted = 15;
// Program
constexpr int ProgramSendBase = 17;
constexpr int ProgramSendSize = 18;
constexpr int ProgramOpenImage = 19;
constexpr int ProgramNextBlock = 20;
constexpr int ProgramAskChecksum = 21;
constexpr int ProgramCompareChecksum = 22;
constexpr int ProgramEndOfImage = 23;
constexpr int ProgramAskBootChecksum = 24;
constexpr int ProgramCompareBootChecksum = 25;
constexpr int ProgramFinished = 26;
constexpr int ProgramCleanUp = 27;
// Send user file
constexpr int SendFirstChunk = 29;
constexpr int SendNextChunk = 30;
// Open memory view
constexpr int ViewSendBase = 33;
constexpr int ViewSendSize = 34;
constexpr int ViewCreateDialog = 35;
constexpr int ViewReadEditSupport = 36;
constexpr int ViewShowDialog = 37;
// Command-line run
constexpr int RunErase = 39;
constexpr int RunChooseWork = 40;
constexpr int RunNextFile = 41;
constexpr int RunFinish = 42;
// Save flash data
constexpr int SaveReadPiece = 44;
constexpr int SaveWritePiece = 45;
constexpr int SaveClose = 46;
} // namespace Step

// The running operation and step, with a stack of saved pairs so that one
// operation can run another and resume afterwards.
class CommState {
public:
    int State() const { return m_state; }
    int SubState() const { return m_subState; }
    bool IsIdle() const { return m_state == Op::Idle; }

    void Set(int state, int subState);
    void SetSubState(int subState) { m_subState = subState; }
    void SetIdle() { Set(Op::Idle, 0); }

    void Push();
    // Resumes the newest saved pair; idle when none is saved.
    void Pop();
    int Depth() const { return int(m_stack.size()); }

private:
    struct Pair {
        int state;
        int subState;
    };
    int m_state = Op::Idle;
    int m_subState = 0;
    QList<Pair> m_stack;
};
