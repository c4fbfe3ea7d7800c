#include "ConfigProperties.h"

#include "base/Prompter.h"
#include "config/ContentsCodec.h"
#include "config/TextConfig.h"

#include <QBuffer>

#include <memory>

namespace {

class SilentPrompter : public CPrompter {
public:
    void ShowMessage(const QString &) override {}
    void ShowLog(const QString &, const QString &) override {}
    bool AskYesNo(const QString &, bool unattendedAnswer) override { return unattendedAnswer; }
    Answer AskYesNoCancel(const QString &, Answer unattendedAnswer) override { return unattendedAnswer; }
};

// Messages of broken inputs are expected; nobody needs to see them.
class ScopedSilentPrompter {
public:
    ScopedSilentPrompter() : m_previous(InstallPrompter(std::make_unique<SilentPrompter>())) {}
    ~ScopedSilentPrompter() { InstallPrompter(std::move(m_previous)); }
    ScopedSilentPrompter(const ScopedSilentPrompter &) = delete;
    ScopedSilentPrompter &operator=(const ScopedSilentPrompter &) = delete;

private:
    std::unique_ptr<CPrompter> m_previous;
};

bool HasValidStrings(const CDocumentFields &f)
{
    return f.m_strHexCmdFile.isValidUtf16() && f.m_strBurnFile.isValidUtf16() && f.m_strCvtcFile.isValidUtf16()
        && f.m_strConnection.isValidUtf16();
}

bool LoadText(const QByteArray &text, CDocumentFields &fields)
{
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    return CTextConfig::LoadTextConfig(fields, buffer);
}

} // namespace

std::string CheckContentsDecoding(const QByteArray &contents)
{
    CDocumentFields fields;
    const CContentsCodec::Result first = CContentsCodec::Decode(contents, fields);
    if (first.status != CContentsCodec::Status::Loaded)
        return fields == CDocumentFields() ? std::string() : "a refused stream changed fields";
    if (first.storedSchema > CDocumentFields::kCurrentSchema)
        return "loaded a later schema";
    if (first.storedSchema == CDocumentFields::kCurrentSchema && fields.m_bOverrideFlash == 0
        && (fields.m_nFlashBase != 0 || fields.m_nFlashSize != 0))
        return "flash base or size kept without the override";

    const QByteArray written = CContentsCodec::Encode(fields);
    CDocumentFields again;
    const CContentsCodec::Result second = CContentsCodec::Decode(written, again);
    if (second.status != CContentsCodec::Status::Loaded || second.storedSchema != CDocumentFields::kCurrentSchema)
        return "a written stream does not load";
    // Older schemas keep base and size without the override; the current one drops them on loading.
    CDocumentFields expected = fields;
    if (expected.m_bOverrideFlash == 0)
        expected.m_nFlashBase = expected.m_nFlashSize = 0;
    // Lone UTF-16 surrogates from wide strings cannot survive UTF-8.
    if (HasValidStrings(fields) && !(again == expected))
        return "a written stream loads different fields";
    if (CContentsCodec::Encode(again) != CContentsCodec::Encode(expected))
        return "writing is not stable";
    return std::string();
}

std::string CheckTextConfigReading(const QByteArray &text)
{
    ScopedSilentPrompter silent;
    CDocumentFields fields = CDocumentFields::NewDocument();
    LoadText(text, fields);
    CDocumentFields again = CDocumentFields::NewDocument();
    QByteArray printed;
    if (!CTextConfig::Format(fields, printed))
        return "read fields cannot be printed";
    if (!LoadText(printed, again))
        return "printed fields do not read cleanly";
    if (!(again == fields))
        return "printed fields read back different";
    return std::string();
}
