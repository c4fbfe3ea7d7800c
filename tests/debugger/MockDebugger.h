#pragma once

#include "debugger/DebuggerApplication.h"
#include "debugger/DebuggerBoard.h"
#include "debugger/DebuggerFactory.h"
#include "debugger/DebuggerProcessor.h"
#include "debugger/DebuggerSetup.h"
#include "debugger/DspMemory.h"
#include "debugger/DspUser.h"
#include "debugger/DspValue.h"

#include <gmock/gmock.h>

#include <map>
#include <vector>

// Test doubles of the debugger layer.

class FakeDspValue : public IDspValue {
public:
    explicit FakeDspValue(quint32 number = 0)
        : number(number)
    {
    }
    quint32 Number() const override { return number; }
    quint32 number;
};

// A memory block that remembers what was set and answers reads from `elements`.
class FakeDspMemory : public IDspMemory {
public:
    FakeDspMemory(quint32 address, qint32 count)
        : address(address)
        , count(count)
    {
    }
    quint32 Element(qint32 index) const override { return elements.count(index) ? elements.at(index) : 0; }
    void SetElement(qint32 index, quint32 value) override
    {
        setIndexes.push_back(index);
        elements[index] = value;
    }

    quint32 address;
    qint32 count;
    std::map<qint32, quint32> elements;
    std::vector<qint32> setIndexes;
};

class MockDspUser : public IDspUser {
public:
    MOCK_METHOD(std::shared_ptr<IDspValue>, CreateAddressValue, (quint32), (override));
    MOCK_METHOD(std::shared_ptr<IDspMemory>, CreateMemory, (const IDspValue &, qint32, quint32), (override));
    MOCK_METHOD(bool, ReadBlock, (IDspMemory &), (override));
    MOCK_METHOD(bool, WriteBlock, (IDspMemory &), (override));
    MOCK_METHOD(void, Run, (), (override));
    MOCK_METHOD(void, Halt, (), (override));
    MOCK_METHOD(void, SetBreakpoint, (const IDspValue &), (override));
    MOCK_METHOD(void, RemoveBreakpoint, (const IDspValue &), (override));
    MOCK_METHOD(bool, FindSymbol, (const QString &, IDspValue &), (override));
    MOCK_METHOD(qint32, EvaluateSymbol, (const QString &, IDspValue &), (override));
    MOCK_METHOD(bool, LoadProgram, (const QString &), (override));
    MOCK_METHOD(void, Poll, (), (override));
    MOCK_METHOD(qint32, Family, (), (override));
    MOCK_METHOD(qint32, Subfamily, (), (override));
    MOCK_METHOD(qint32, NamedMethodId, (const QString &), (override));
    MOCK_METHOD(void, InvokeNamedMethod, (qint32), (override));
    MOCK_METHOD(std::optional<quint32>, Advise, (const std::shared_ptr<IDspUserEvents> &), (override));
    MOCK_METHOD(void, Unadvise, (quint32), (override));
};

class MockProcessor : public IDebuggerProcessor {
public:
    MOCK_METHOD(std::shared_ptr<IDspUser>, DspUser, (), (override));
    MOCK_METHOD(bool, ReverseByteOrder, (), (override));
};

class MockBoard : public IDebuggerBoard {
public:
    MOCK_METHOD(std::shared_ptr<IDebuggerProcessor>, Processor, (qint32), (override));
};

class MockApplication : public IDebuggerApplication {
public:
    MOCK_METHOD(bool, IsVisible, (), (override));
    MOCK_METHOD(void, SetVisible, (bool), (override));
    MOCK_METHOD(qint32, BoardCount, (), (override));
    MOCK_METHOD(std::shared_ptr<IDebuggerBoard>, Board, (qint32), (override));
};

class MockSetup : public IDebuggerSetup {
public:
    MOCK_METHOD(SetupBoardList, BoardList, (), (override));
};

class MockFactory : public IDebuggerFactory {
public:
    MOCK_METHOD(std::shared_ptr<IDebuggerApplication>, CreateApplication, (), (override));
    MOCK_METHOD(std::shared_ptr<IDebuggerSetup>, CreateSetup, (), (override));
};

// A debugger of one board with one processor whose IDspUser is `dspUser`;
// the processor reports `subfamily` and the byte-order flag. The DspUser
// connects, advises with cookie 7, makes values and fake memory blocks.
struct MockDebugger {
    MockDebugger(qint32 subfamily, bool reverseByteOrder);

    std::shared_ptr<testing::NiceMock<MockFactory>> factory = std::make_shared<testing::NiceMock<MockFactory>>();
    std::shared_ptr<testing::NiceMock<MockApplication>> application =
        std::make_shared<testing::NiceMock<MockApplication>>();
    std::shared_ptr<testing::NiceMock<MockBoard>> board = std::make_shared<testing::NiceMock<MockBoard>>();
    std::shared_ptr<testing::NiceMock<MockProcessor>> processor = std::make_shared<testing::NiceMock<MockProcessor>>();
    std::shared_ptr<testing::NiceMock<MockDspUser>> dspUser = std::make_shared<testing::NiceMock<MockDspUser>>();
    // The blocks CreateMemory made, in order.
    std::vector<std::shared_ptr<FakeDspMemory>> blocks;
};
