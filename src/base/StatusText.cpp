#include "StatusText.h"

namespace {
class CKeptStatusText : public CStatusText {
public:
    void SetStatusText(const QString &text) override { m_text = text; }
    QString StatusText() const override { return m_text; }

private:
    QString m_text;
};

std::unique_ptr<CStatusText> &Slot()
{
    static std::unique_ptr<CStatusText> statusText = std::make_unique<CKeptStatusText>();
    return statusText;
}
} // namespace

CStatusText &theStatusText()
{
    return *Slot();
}

std::unique_ptr<CStatusText> InstallStatusText(std::unique_ptr<CStatusText> statusText)
{
    Slot().swap(statusText);
    return statusText;
}
