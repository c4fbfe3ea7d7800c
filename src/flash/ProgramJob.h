#pragma once

#include <QString>
#include <QtGlobal>

// What a programming run needs, built once by its caller.
struct CProgramJob {
    QString imagePath;
    QString hexCommandFile;  // run through the hex conversion utility first, when set
    quint32 flashBase = 0;   // as the host counts it
    quint32 flashSize = 0;   // bytes of flash the image may fill, as the flash size field holds it
    quint32 imageOffset = 0; // added to every block's address, in target address units
    bool verify = false;
    bool changedOnly = false;  // write only the blocks that differ from the flash
    bool writeBootAddress = false;
    qint32 subfamily = 0;
    int addressingUnit = 1;  // bytes per target address unit
    bool reverseByteOrder = false;
};
