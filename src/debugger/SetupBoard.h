#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

// A processor as the setup lists it: its name and what its backend needs.
struct SetupProcessor {
    enum class Kind { Bypass, Simulator };

    QString name;
    Kind kind = Kind::Simulator;
    qint32 subfamily = 0;   // simulator: the sub-family code
    bool bigEndian = false; // simulator: the byte order of target words
};

// A board as the setup lists it, with its processors in order.
struct SetupBoard {
    QString name;
    QList<SetupProcessor> processors;
};

// The setup's board list and its status: negative when it could not be had,
// with `error` saying why.
struct SetupBoardList {
    qint32 status = 0;
    QString error;
    QList<SetupBoard> boards;
};
