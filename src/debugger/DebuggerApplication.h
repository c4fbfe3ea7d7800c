#pragma once

#include <QtGlobal>

#include <memory>

class IDebuggerBoard;

// The debugger application: its window's visibility and the boards it can reach.
class IDebuggerApplication {
public:
    virtual ~IDebuggerApplication() = default;
    virtual bool IsVisible() = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual qint32 BoardCount() = 0;
    // The board at `index`, or null when there is none.
    virtual std::shared_ptr<IDebuggerBoard> Board(qint32 index) = 0;
};
