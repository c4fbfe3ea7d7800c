#include "CloseRequest.h"

namespace {
std::function<void()> &Handler()
{
    static std::function<void()> handler;
    return handler;
}
} // namespace

void RequestMainWindowClose()
{
    // A copy: the handler may replace itself.
    if (const std::function<void()> handler = Handler())
        handler();
}

std::function<void()> SetCloseRequestHandler(std::function<void()> handler)
{
    Handler().swap(handler);
    return handler;
}
