#pragma once

#include "DocumentFields.h"

#include <QString>

// The document's fields that name files. A relative name counts from the
// current folder, which is the document's own folder once it has one.
class CDocumentPaths {
public:
    // Names read from a text configuration count from the text file's folder
    // and are rewritten to count from the current folder. A name that finds no
    // file there but one from the current folder (as it was taken before) keeps
    // that file, and the log says so.
    static void TakeFromTextConfigFolder(CDocumentFields &fields, const QString &textConfigPath);
    // Rewrites the relative names that count from `fromFolder` so that they
    // name the same files from `toFolder`.
    static void MoveBase(CDocumentFields &fields, const QString &fromFolder, const QString &toFolder);

private:
    template <typename Rewrite>
    static void RewriteRelative(CDocumentFields &fields, Rewrite rewrite);
};
