#include "StatusText.h"

#include "ProgramWide.h"

namespace {
class CKeptStatusText : public CStatusText {
public:
    void SetStatusText(const QString &text) override { m_text = text; }
    QString StatusText() const override { return m_text; }

private:
    QString m_text;
};
} // namespace

CStatusText &theStatusText()
{
    return CProgramWide<CStatusText, CKeptStatusText>::Get();
}

std::unique_ptr<CStatusText> InstallStatusText(std::unique_ptr<CStatusText> statusText)
{
    return CProgramWide<CStatusText, CKeptStatusText>::Install(std::move(statusText));
}
