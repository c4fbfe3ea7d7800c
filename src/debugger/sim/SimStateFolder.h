#pragma once

#include <QString>
#include <QtGlobal>

#include <memory>

class CSimFlash;

// Where the simulator keeps its state between runs ($CORVANE_SIM_DIR, else
// $XDG_STATE_HOME/corvane/sim): one flash file per board and processor, and
// beside it the data the target component received with SendUserData and the
// lock file that keeps two runs off the same board.
class CSimStateFolder {
public:
    static QString Path();
    // "BOARD (PROCESSOR)", with characters unfit for a file name percent-encoded.
    static QString BaseName(const QString &board, const QString &processor);
    static QString FlashPath(const QString &board, const QString &processor);
    static QString UserDataPath(const QString &board, const QString &processor);
    static QString LockPath(const QString &board, const QString &processor);

    // The flash of that board and processor, shared by all its users in this
    // process and resized to `size`. Opening it takes the board's state lock
    // (CSimStateLock), which it keeps until it is saved for the last time: when
    // the last user lets go of it, or, for any still held, when the
    // application object ends. Null with `error` set when the lock cannot be
    // taken or the flash file cannot be read.
    static std::shared_ptr<CSimFlash> OpenFlash(const QString &board, const QString &processor, quint32 size,
                                                QString &error);
    // Saves every flash still open.
    static void SaveAll();
};
