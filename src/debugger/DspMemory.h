#pragma once

#include <QtGlobal>

// A run of target memory elements that IDspUser reads or writes as a whole.
// On 32-bit-class targets the index is a byte offset and an element is the
// 32-bit word there; on 16-bit-class targets the index is the word number.
class IDspMemory {
public:
    virtual ~IDspMemory() = default;
    virtual quint32 Element(qint32 index) const = 0;
    virtual void SetElement(qint32 index, quint32 value) = 0;
};
