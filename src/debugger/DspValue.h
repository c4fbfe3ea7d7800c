#pragma once

#include <QtGlobal>

// A value of the debugger; an address once the debugger has bound it to a symbol.
class IDspValue {
public:
    virtual ~IDspValue() = default;
    virtual quint32 Number() const = 0;
};
