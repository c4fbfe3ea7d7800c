#include "FileDialogs.h"

#include <QFileDialog>

namespace {

QString RunDialog(QWidget *parent, const CFileDialogs::Request &request, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, request.title);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilters(CFileDialogs::NameFilters(request.filter));
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.initialName.contains(u'*'))
        dialog.selectFile(request.initialName);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                    : QString();
}

class CQtFileDialogs : public CFileDialogs {
public:
    QString OpenFile(QWidget *parent, const Request &request) override
    {
        return RunDialog(parent, request, QFileDialog::AcceptOpen);
    }
    QString SaveFile(QWidget *parent, const Request &request) override
    {
        return RunDialog(parent, request, QFileDialog::AcceptSave);
    }
};

std::unique_ptr<CFileDialogs> &Slot()
{
    static std::unique_ptr<CFileDialogs> dialogs = std::make_unique<CQtFileDialogs>();
    return dialogs;
}

} // namespace

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
