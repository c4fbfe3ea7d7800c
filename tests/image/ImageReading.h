#pragma once

#include "image/HexFormat.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <ostream>

// One block as CHexImageReader delivered it.
struct ImageBlock {
    quint32 address = 0;
    QByteArray bytes;
    bool operator==(const ImageBlock &) const = default;
};

// Everything a reader gave for one file.
struct ImageReading {
    HexFormat format = HexUnknown;
    QList<ImageBlock> blocks;
    int zeroResults = 0;       // calls that returned 0
    bool failed = false;       // HasFailed() at the end
    bool endless = false;      // the reader never reached -1
    QString detectionError;    // ErrorText() before the first block was read
    QString error;             // ErrorText() at the end
    QString report;            // ErrorReport(kImagePath) at the end
};

// The path the reading names in its error report.
inline const QString kImagePath = QStringLiteral("/images/image.hex");

struct ReaderSetup {
    int capacity = 256;
    int bytesPerUnit = 1;
    int subfamily = 0x64;
    bool bigEndian = false;
    QString fileName;   // the reader's file name: chooses raw binary
};

// Reads `content` from an in-memory device until ReadBlock returns -1.
ImageReading ReadImage(const QByteArray &content, const ReaderSetup &setup = {});

// The blocks laid out as bytes from byte address `low` to `high`, gaps filled
// with `fill`; block addresses count units of `bytesPerUnit` bytes. Fails the
// test for bytes outside the range or delivered twice.
QByteArray LayOut(const QList<ImageBlock> &blocks, int bytesPerUnit, quint64 low, quint64 high, char fill);

// One S-record with its count and checksum; the address width follows the type.
QByteArray SRecord(char type, quint32 address, const QByteArray &data = {});

// One Intel HEX record with its count and checksum.
QByteArray IntelRecord(int type, quint16 address, const QByteArray &data = {});
// One Tektronix data record with both checksums.
QByteArray TektronixRecord(quint16 address, const QByteArray &data);
// One extended Tektronix record of `type` with its length and checksum.
QByteArray TektronixExtendedRecord(char type, quint32 address, const QByteArray &data = {}, int addressDigits = 8);
// One TI-Tagged record: `fields`, then its checksum and end of record.
QByteArray TiTaggedRecord(const QByteArray &fields);

// Runs `program` with `arguments` and returns its standard output; fails the test when it fails.
QByteArray RunTool(const QString &program, const QStringList &arguments);

void PrintTo(const ImageBlock &block, std::ostream *os);
