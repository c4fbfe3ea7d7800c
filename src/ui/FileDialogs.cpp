#include "FileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>

namespace {

const char kLastFolderKey[] = "File Dialogs/Last Folder";

QString RunDialog(QWidget *parent, const CFileDialogs::Request &request, const QString &folder,
                  QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, request.title);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilters(CFileDialogs::NameFilters(request.filter));
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!folder.isEmpty())
        dialog.setDirectory(folder);
    if (!request.initialName.contains(u'*'))
        dialog.selectFile(request.initialName);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                    : QString();
}

class CQtFileDialogs : public CFileDialogs {
protected:
    QString AskOpen(QWidget *parent, const Request &request, const QString &folder) override
    {
        return RunDialog(parent, request, folder, QFileDialog::AcceptOpen);
    }
    QString AskSave(QWidget *parent, const Request &request, const QString &folder) override
    {
        return RunDialog(parent, request, folder, QFileDialog::AcceptSave);
    }
};

std::unique_ptr<CFileDialogs> &Slot()
{
    static std::unique_ptr<CFileDialogs> dialogs = std::make_unique<CQtFileDialogs>();
    return dialogs;
}

} // namespace

QString CFileDialogs::OpenFile(QWidget *parent, const Request &request, const QString &currentFile)
{
    return Remembered(AskOpen(parent, request, StartFolder(currentFile)));
}

QString CFileDialogs::SaveFile(QWidget *parent, const Request &request, const QString &currentFile)
{
    return Remembered(AskSave(parent, request, StartFolder(currentFile)));
}

QString CFileDialogs::StartFolder(const QString &currentFile)
{
    const QFileInfo current(currentFile);
    if (!currentFile.isEmpty() && current.absoluteDir().exists())
        return current.absolutePath();
    return QSettings().value(QLatin1String(kLastFolderKey)).toString();
}

QString CFileDialogs::Remembered(const QString &chosen)
{
    if (!chosen.isEmpty())
        QSettings().setValue(QLatin1String(kLastFolderKey), QFileInfo(chosen).absolutePath());
    return chosen;
}

QStringList CFileDialogs::NameFilters(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size() && !parts[i].isEmpty(); i += 2) {
        const QString description = parts[i].section(QLatin1String(" ("), 0, 0);
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        patterns.replaceInStrings(QStringLiteral("*.*"), QStringLiteral("*"));
        filters.append(QStringLiteral("%1 (%2)").arg(description, patterns.join(u' ')));
    }
    return filters;
}

CFileDialogs &theFileDialogs()
{
    return *Slot();
}

std::unique_ptr<CFileDialogs> InstallFileDialogs(std::unique_ptr<CFileDialogs> dialogs)
{
    Slot().swap(dialogs);
    return dialogs;
}
