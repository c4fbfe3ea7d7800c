#pragma once

// One request to, or answer from, the target component.
//
// The message block is 32 header bytes followed by a data area of up to
// kDataCapacity bytes. Header: the command word at offset 0 and fifteen 16-bit
// parameter words at offsets 2 + 2*i, each stored high byte first.
//
// Host side (building requests, reading answers):
//   CommMessage request;                       // command 0, parameters 0, no data
//   request.SetCommand(CommandCode::WriteFlash);
//   request.SetParam32(0, offset);             // words 0 (high) and 1 (low)
//   request.SetParam(2, byteCount);            // or SetParams({a, b, c})
//   request.SetData(bytes, count, limit);      // at most `limit` bytes kept
//   transport writes request.Bytes(), request.SendLength() bytes (or kHeaderBytes)
//   transport reads the answer into answer.Bytes(): kHeaderBytes or kHeaderBytes + the data bytes a message carries
//   answer.IsAnswerTo(CommandCode::WriteFlash); answer.Param(0); answer.Param32(0); answer.Data()
//
// Target side (reading requests, building answers):
//   the request's bytes are copied into Bytes() (kBlockBytes long);
//   Command(), Param(i), Param32(k), Data() read it (the data length travels in the parameters);
//   the answer is built with SetCommand / SetCommandWord and SetParam, its data written
//   through Data() and SetDataLength(n), or with SetAddressList for TranslateAddresses.
//
// dataLength is never transmitted; it only says how many data bytes are in use.

#include "CommandCode.h"

#include <QList>
#include <QtGlobal>

#include <initializer_list>
#include <vector>

// The message block exchanged with the target component, with its data length.
class CommMessage {
public:
    static constexpr int kHeaderBytes = 32;
    static constexpr int kParamWords = 15;
    static constexpr int kDataCapacity = 32700;
    static constexpr int kBlockBytes = kHeaderBytes + kDataCapacity;
    static constexpr int kAddressBytes = 4;

    CommMessage();

    void SetCommand(CommandCode code) { SetCommandWord(quint16(code)); }
    // Any command word, also one that is no known code (an answer may carry one).
    void SetCommandWord(quint16 word);
    quint16 Command() const;
    bool IsAnswerTo(CommandCode code) const { return Command() == quint16(code); }

    // Parameter word `index` (0 to 14), truncated to 16 bits; other indexes are ignored.
    void SetParam(int index, quint32 value);
    // Parameter words 0, 1, ... in order, each truncated to 16 bits.
    void SetParams(std::initializer_list<quint32> values);
    // Parameter word `index`; 0 for an index outside 0 to 14.
    quint16 Param(int index) const;
    // A 32-bit value in words `firstIndex` (high half) and `firstIndex` + 1 (low half).
    void SetParam32(int firstIndex, quint32 value);
    quint32 Param32(int firstIndex) const;

    // Stores min(count, limit) bytes as the data and sets the data length to
    // that; `limit` is the data bytes the target component takes in one message.
    void SetData(const quint8 *source, qsizetype count, quint16 limit);
    // Data byte `index`; 0 outside the data area.
    quint8 DataByte(int index) const;
    quint8 *Data() { return m_bytes.data() + kHeaderBytes; }
    const quint8 *Data() const { return m_bytes.data() + kHeaderBytes; }
    quint16 DataLength() const { return m_dataLength; }
    // Data bytes in use, at most kDataCapacity.
    void SetDataLength(int length);

    // TranslateAddresses data: the addresses 4 bytes each, most significant byte
    // first; sets the data length. Addresses beyond the data area are left out.
    void SetAddressList(const QList<quint32> &addresses);
    // The first `count` addresses of the data, decoded as SetAddressList stores them.
    QList<quint32> AddressList(int count) const;

    // The whole message block, kBlockBytes long, for writing to and reading from the target.
    quint8 *Bytes() { return m_bytes.data(); }
    const quint8 *Bytes() const { return m_bytes.data(); }
    // Bytes a message with data occupies: the header and the data in use.
    int SendLength() const { return kHeaderBytes + m_dataLength; }

private:
    void SetWord(int offset, quint16 value);
    quint16 Word(int offset) const;

    std::vector<quint8> m_bytes;
    quint16 m_dataLength = 0;
};
