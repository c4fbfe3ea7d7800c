#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QWidget;

// The file dialogs of the windows, behind one interface so that tests can answer them.
// A dialog starts in the folder of the file the field or document names, else
// in the folder where the user last chose a file (kept in the settings).
class CFileDialogs {
public:
    struct Request {
        QString title;
        QString filter;         // "Hex Files (*.hex)|*.hex|All Files (*.*)|*.*||"
        QString defaultSuffix;  // "hex"
        QString initialName;    // "*.hex" (a pattern only preselects the filter), "flashdata"
    };

    virtual ~CFileDialogs() = default;
    // An existing file chosen by the user; empty when cancelled.
    QString OpenFile(QWidget *parent, const Request &request, const QString &currentFile = QString());
    // A file to write, confirmed when it exists; empty when cancelled.
    QString SaveFile(QWidget *parent, const Request &request, const QString &currentFile = QString());

    // The filter's description and pattern pairs as Qt name filters; "*.*" matches every name.
    static QStringList NameFilters(const QString &filter);
    // The folder of `currentFile` when it exists, else the last folder used.
    static QString StartFolder(const QString &currentFile);

protected:
    // The dialogs themselves, starting in `folder` (none: the system's choice).
    virtual QString AskOpen(QWidget *parent, const Request &request, const QString &folder) = 0;
    virtual QString AskSave(QWidget *parent, const Request &request, const QString &folder) = 0;

private:
    static QString Remembered(const QString &chosen);
};

// The program's file dialogs; Qt's own until another is installed.
CFileDialogs &theFileDialogs();
// Installs file dialogs and returns the previous ones.
std::unique_ptr<CFileDialogs> InstallFileDialogs(std::unique_ptr<CFileDialogs> dialogs);
