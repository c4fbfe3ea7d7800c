#include "CorvaneDoc.h"

#include "CompoundFile.h"
#include "ControlIds.h"
#include "ContentsCodec.h"
#include "DocumentPaths.h"
#include "TextConfig.h"
#include "base/FailureReporter.h"
#include "base/FileName.h"
#include "base/MessageLog.h"
#include "base/Prompter.h"

#include <QDir>
#include <QFileInfo>

namespace {

using ReadStatus = CCompoundFile::ReadStatus;
using CodecStatus = CContentsCodec::Status;

// The part before the last "/", unless that "/" is the first character.
QString FolderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash > 0 ? path.left(slash) : QString();
}

// Makes the document's folder the current directory; the folder is empty when the path names none.
bool EnterFolderOf(const QString &path, QString &folder)
{
    folder = FolderOf(path);
    return folder.isEmpty() || CFileName::EnterFolder(folder);
}

QString StreamReason(const CCompoundFile::ReadResult &read)
{
    const QString detail = read.detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(read.detail);
    switch (read.status) {
    case ReadStatus::CannotOpen: return QStringLiteral("the file cannot be opened") + detail;
    case ReadStatus::NotCompoundFile: return QStringLiteral("it is not a compound file, or it is cut short") + detail;
    case ReadStatus::NoSuchStream: return QStringLiteral("it has no \"Contents\" stream");
    case ReadStatus::StreamUnreadable: return QStringLiteral("its \"Contents\" stream is cut short");
    case ReadStatus::Read: break;
    }
    return QString();
}

QString CodecReason(const CContentsCodec::Result &decoded)
{
    if (decoded.status == CodecStatus::StringBeyondEnd)
        return QStringLiteral("a string length in its \"Contents\" stream runs past the stream's end");
    return QStringLiteral("its \"Contents\" stream is shorter than schema %1 needs").arg(decoded.storedSchema);
}

void ReportUnreadable(const QString &path, const QString &reason)
{
    ReportMessage(QStringLiteral("Cannot read the document %1: %2.").arg(path, reason));
}

int &UntitledCount()
{
    static int count = 0;
    return count;
}

} // namespace

CCorvaneDoc::CCorvaneDoc() = default;

CCorvaneDoc::~CCorvaneDoc() = default;

bool CCorvaneDoc::OnNewDocument(const std::optional<QString> &textConfigPath)
{
    // A new document starts an empty log, which must keep the text configuration's messages.
    theLog.Clear();
    static_cast<CDocumentFields &>(*this) = NewDocument();
    if (textConfigPath) {
        CTextConfig::LoadTextConfig(*this, *textConfigPath);
        CDocumentPaths::TakeFromTextConfigFolder(*this, *textConfigPath);
    }
    m_wStoredSchema = m_wSchema;
    m_strPathName.clear();
    m_strTitle = QStringLiteral("CVConfig%1").arg(++UntitledCount());
    SetModifiedFlag();
    return true;
}

bool CCorvaneDoc::OnOpenDocument(const QString &path)
{
    const QString fullPath = CFileName::Absolute(path);
    theLog.Clear();
    if (!LoadContents(fullPath))
        return false;
    SetPathName(fullPath);
    SetModifiedFlag(false);
    QString folder;
    if (!EnterFolderOf(fullPath, folder))
        thePrompter().ShowMessage(QStringLiteral("Failed to set Directory to ") + folder + u'?');
    return true;
}

bool CCorvaneDoc::LoadContents(const QString &path)
{
    const CCompoundFile::ReadResult read = CCompoundFile::ReadStream(path, kContentsStream);
    if (read.status != ReadStatus::Read) {
        ReportUnreadable(path, StreamReason(read));
        return false;
    }
    CDocumentFields loaded;
    const CContentsCodec::Result decoded = CContentsCodec::Decode(read.data, loaded);
    switch (decoded.status) {
    case CodecStatus::CutShort:
    case CodecStatus::StringBeyondEnd:
        ReportUnreadable(path, CodecReason(decoded));
        return false;
    case CodecStatus::LaterSchema:
        // The document stays open with the constructor's values while the program closes.
        theReporter().Report(
            CFailure::Message(QStringLiteral("The document was created by a later version of this application.\r\n"
                                             "This application will terminate."),
                              CFailure::Then::ProgramEnds));
        break;
    case CodecStatus::Loaded:
        if (decoded.storedSchema < kCurrentSchema)
            thePrompter().ShowMessage(
                QStringLiteral("The document was created by an older version of the application.\r\n"
                               "Default values will be filled-in for unspecified/changed fields."));
        break;
    }
    static_cast<CDocumentFields &>(*this) = loaded;
    m_wStoredSchema = decoded.storedSchema;
    return true;
}

bool CCorvaneDoc::OnSaveDocument(const QString &path)
{
    // Absolute first: entering the folder would move a relative path.
    const QString fullPath = CFileName::Absolute(path);
    const QString previousFolder = QDir::currentPath();
    QString folder;
    EnterFolderOf(fullPath, folder);
    // Relative names go on naming the same files from the folder entered.
    CDocumentPaths::MoveBase(*this, previousFolder, QDir::currentPath());
    const QString error = CCompoundFile::WriteStream(fullPath, kContentsStream, CContentsCodec::Encode(*this));
    if (!error.isEmpty()) {
        ReportMessage(QStringLiteral("Cannot save the document %1: %2.").arg(fullPath, error));
        return false;
    }
    m_wSchema = kCurrentSchema;
    SetPathName(fullPath);
    SetModifiedFlag(false);
    return true;
}

bool CCorvaneDoc::SaveModified(const SavePathChooser &chooseSavePath)
{
    if (!IsModified())
        return true;
    switch (thePrompter().AskYesNoCancel(QStringLiteral("Save changes to %1?").arg(GetTitle()), CPrompter::Answer::No)) {
    case CPrompter::Answer::Yes: break;
    case CPrompter::Answer::No: return true;
    case CPrompter::Answer::Cancel: return false;
    }
    QString path = GetPathName();
    if (path.isEmpty() && chooseSavePath)
        path = chooseSavePath();
    return !path.isEmpty() && OnSaveDocument(path);
}

void CCorvaneDoc::SetHexCmdFile(const QString &path)
{
    StoreAndMark(m_strHexCmdFile, path);
}

void CCorvaneDoc::SetOverrideFlash(qint32 value)
{
    StoreAndMark(m_bOverrideFlash, value);
}

// Base and size count as the user's only while the override is on.
void CCorvaneDoc::SetFlashBase(quint32 value)
{
    m_nFlashBase = value;
    if (m_bOverrideFlash)
        SetModifiedFlag();
}

void CCorvaneDoc::SetFlashSize(quint32 value)
{
    m_nFlashSize = value;
    if (m_bOverrideFlash)
        SetModifiedFlag();
}

void CCorvaneDoc::SetImageOffset(quint32 value)
{
    StoreAndMark(m_nImageOffset, value);
}

void CCorvaneDoc::SetBurnFile(const QString &path)
{
    StoreAndMark(m_strBurnFile, path);
}

void CCorvaneDoc::SetCvtcFile(const QString &path)
{
    StoreAndMark(m_strCvtcFile, path);
}

void CCorvaneDoc::SetVerifyWrite(quint8 flag)
{
    StoreAndMark(m_bVerifyWrite, quint16(flag));
}

void CCorvaneDoc::SetWriteBootAddr(quint8 flag)
{
    StoreAndMark(m_bWriteBootAddr, quint16(flag));
}

bool CCorvaneDoc::DisablesCommand(int commandId) const
{
    return commandId == MenuCommand::FileNew || commandId == MenuCommand::FileOpen
        || commandId == MenuCommand::FileMruFirst;
}


void CCorvaneDoc::SetPathName(const QString &path)
{
    m_strPathName = path;
    m_strTitle = QFileInfo(path).fileName();
}
