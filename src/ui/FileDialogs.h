#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QWidget;

// The file dialogs of the windows, behind one interface so that tests can answer them.
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
    virtual QString OpenFile(QWidget *parent, const Request &request) = 0;
    // A file to write, confirmed when it exists; empty when cancelled.
    virtual QString SaveFile(QWidget *parent, const Request &request) = 0;

    // The filter's description and pattern pairs as Qt name filters; "*.*" matches every name.
    static QStringList NameFilters(const QString &filter);
};

// The program's file dialogs; Qt's own until another is installed.
CFileDialogs &theFileDialogs();
// Installs file dialogs and returns the previous ones.
std::unique_ptr<CFileDialogs> InstallFileDialogs(std::unique_ptr<CFileDialogs> dialogs);
