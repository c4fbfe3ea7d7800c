#include "DocumentPaths.h"

#include "base/FileName.h"
#include "base/MessageLog.h"

#include <QDir>
#include <QFileInfo>

template <typename Rewrite>
void CDocumentPaths::RewriteRelative(CDocumentFields &fields, Rewrite rewrite)
{
    for (QString *name : {&fields.m_strHexCmdFile, &fields.m_strBurnFile, &fields.m_strCvtcFile}) {
        if (!name->isEmpty() && QDir::isRelativePath(*name))
            *name = rewrite(*name);
    }
}

void CDocumentPaths::TakeFromTextConfigFolder(CDocumentFields &fields, const QString &textConfigPath)
{
    const QString textFolder = QFileInfo(textConfigPath).path();
    RewriteRelative(fields, [&](const QString &name) {
        const QString besideText = QDir::cleanPath(textFolder + u'/' + name);
        if (besideText == name || CFileName::Exists(besideText) || !CFileName::Exists(name))
            return besideText;
        theLog.Add(QStringLiteral("%1 is not in the folder of the text configuration %2; the one in the current "
                                  "folder %3 is used.\r\n")
                       .arg(name, textConfigPath, QDir::currentPath()));
        return name;
    });
}

void CDocumentPaths::MoveBase(CDocumentFields &fields, const QString &fromFolder, const QString &toFolder)
{
    const QDir from(fromFolder);
    const QDir to(toFolder);
    if (from.absolutePath() == to.absolutePath())
        return;
    RewriteRelative(fields,
                    [&](const QString &name) { return to.relativeFilePath(QDir::cleanPath(from.absoluteFilePath(name))); });
}
