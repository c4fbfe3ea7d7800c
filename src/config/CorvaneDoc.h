#pragma once

#include "DocumentFields.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

// The configuration document: one target and flash set-up kept in a .cdd file.
// Its operations need no windows: questions and messages go through the
// prompter, failures to the reporter.
class CCorvaneDoc : public CDocumentFields {
public:
    // Asks where to save a document that has no file yet; empty means cancelled.
    using SavePathChooser = std::function<QString()>;

    static constexpr const char *kContentsStream = "Contents";

    CCorvaneDoc();
    ~CCorvaneDoc();
    CCorvaneDoc(const CCorvaneDoc &) = delete;
    CCorvaneDoc &operator=(const CCorvaneDoc &) = delete;

    // A new document: the new-document values, then those of the text
    // configuration at `textConfigPath` when one is given.
    bool OnNewDocument(const std::optional<QString> &textConfigPath = std::nullopt);
    bool OnOpenDocument(const QString &path);
    bool OnSaveDocument(const QString &path);
    // Before closing: offers to save unsaved changes (the prompter of an
    // unattended run answers No). False when the document must stay open.
    bool SaveModified(const SavePathChooser &chooseSavePath = {});

    void SetHexCmdFile(const QString &path);
    void SetOverrideFlash(qint32 value);
    void SetFlashBase(quint32 value);
    void SetFlashSize(quint32 value);
    void SetImageOffset(quint32 value);
    void SetBurnFile(const QString &path);
    void SetCvtcFile(const QString &path);
    void SetVerifyWrite(quint8 flag);
    void SetWriteBootAddr(quint8 flag);

    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true) { m_bModified = modified; }
    QString GetPathName() const { return m_strPathName; }
    QString GetTitle() const { return m_strTitle; }
    // The schema of the file last loaded; the current schema when not loaded from a file.
    quint16 GetStoredSchema() const { return m_wStoredSchema; }
    // New, Open and the recent files (MenuCommand numbers) are off while a document is active.
    bool DisablesCommand(int commandId) const;

private:
    template <typename T>
    void StoreAndMark(T &field, const T &value)
    {
        field = value;
        SetModifiedFlag();
    }
    bool LoadContents(const QString &path);
    void SetPathName(const QString &path);

    quint16 m_wStoredSchema = kCurrentSchema;
    bool m_bModified = false;
    QString m_strPathName;
    QString m_strTitle;
};
