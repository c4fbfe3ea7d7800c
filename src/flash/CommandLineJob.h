#pragma once

#include "ProgramJob.h"

#include <QStringList>

// The work of an unattended run after the handshake, as the command line asked for it.
struct CCommandLineJob {
    bool erase = false;
    bool saveFlash = false;
    quint32 saveFlashStart = 0;   // target address units
    quint32 saveFlashLength = 0;  // bytes
    QStringList furtherFiles;     // files named after the document, in order
    CProgramJob program;          // the document's programming, and the base of the further images'
};
