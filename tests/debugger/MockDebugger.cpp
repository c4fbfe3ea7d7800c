#include "MockDebugger.h"

using testing::_;
using testing::Return;

MockDebugger::MockDebugger(qint32 subfamily, bool reverseByteOrder)
{
    ON_CALL(*factory, CreateApplication()).WillByDefault(Return(application));
    ON_CALL(*application, BoardCount()).WillByDefault(Return(1));
    ON_CALL(*application, Board(0)).WillByDefault(Return(board));
    ON_CALL(*board, Processor(0)).WillByDefault(Return(processor));
    ON_CALL(*processor, DspUser()).WillByDefault(Return(dspUser));
    ON_CALL(*processor, ReverseByteOrder()).WillByDefault(Return(reverseByteOrder));
    ON_CALL(*dspUser, Family()).WillByDefault(Return(subfamily <= 2 ? 470 : 320));
    ON_CALL(*dspUser, Subfamily()).WillByDefault(Return(subfamily));
    ON_CALL(*dspUser, NamedMethodId(_)).WillByDefault(Return(-1));
    ON_CALL(*dspUser, Advise(_)).WillByDefault(Return(std::optional<quint32>(7)));
    ON_CALL(*dspUser, CreateAddressValue(_)).WillByDefault([](quint32 address) {
        return std::make_shared<FakeDspValue>(address);
    });
    ON_CALL(*dspUser, CreateMemory(_, _, _)).WillByDefault([this](const IDspValue &start, qint32 count, quint32) {
        blocks.push_back(std::make_shared<FakeDspMemory>(start.Number(), count));
        return blocks.back();
    });
    ON_CALL(*dspUser, ReadBlock(_)).WillByDefault(Return(true));
    ON_CALL(*dspUser, WriteBlock(_)).WillByDefault(Return(true));
}
