#pragma once

#include <QString>

// Shows a text in the status bar for the lifetime of the object and clears the
// status bar when it ends, on every path out of a step.
class CScopedStatusText {
public:
    explicit CScopedStatusText(const QString &text);
    ~CScopedStatusText();
    CScopedStatusText(const CScopedStatusText &) = delete;
    CScopedStatusText &operator=(const CScopedStatusText &) = delete;
};
