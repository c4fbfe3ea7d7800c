#include "SimFlash.h"

#include "SimStateLock.h"
#include "base/FileName.h"
#include "base/InputFile.h"
#include "base/MessageLog.h"
#include "base/ReplacingFile.h"
#include "wire/CommChecksum.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace {
constexpr char kErased = char(0xFF);
}

CSimFlash::CSimFlash(const QString &path, quint32 size)
    : m_strPath(path)
{
    QFile file;
    bool missing = false;
    QString reason = CInputFile::Open(file, path, &missing);
    if (reason.isEmpty()) {
        m_bytes = file.read(size);
        reason = file.error() == QFileDevice::NoError ? QString() : file.errorString();
    }
    if (!reason.isEmpty() && !missing)
        m_strLoadError =
            QStringLiteral("Cannot read the simulated flash %1: %2.").arg(QDir::toNativeSeparators(path), reason);
    if (m_bytes.size() < qsizetype(size))
        m_bytes.append(qsizetype(size) - m_bytes.size(), kErased);
}

CSimFlash::~CSimFlash()
{
    Save();
}

void CSimFlash::HoldLock(std::unique_ptr<CSimStateLock> lock)
{
    m_pLock = std::move(lock);
}

void CSimFlash::Resize(quint32 size)
{
    if (qsizetype(size) == m_bytes.size())
        return;
    if (qsizetype(size) < m_bytes.size())
        m_bytes.truncate(size);
    else
        m_bytes.append(qsizetype(size) - m_bytes.size(), kErased);
    m_bChanged = true;
}

void CSimFlash::Erase()
{
    m_bytes.fill(kErased);
    m_bChanged = true;
}

void CSimFlash::Program(quint64 offset, const quint8 *data, qsizetype count)
{
    const quint64 size = quint64(m_bytes.size());
    if (count <= 0 || offset >= size)
        return;
    const qsizetype inside = qsizetype(qMin<quint64>(quint64(count), size - offset));
    quint8 *cells = reinterpret_cast<quint8 *>(m_bytes.data()) + offset;
    for (qsizetype i = 0; i < inside; ++i)
        cells[i] &= data[i];
    m_bChanged = true;
}

QByteArray CSimFlash::ReadInside(quint64 offset, quint64 count) const
{
    const quint64 size = quint64(m_bytes.size());
    if (offset >= size)
        return {};
    QByteArray bytes = m_bytes.mid(qsizetype(offset), qsizetype(std::min(count, size - offset)));
    if (m_nStuckMask != 0 && m_nStuckOffset >= offset && m_nStuckOffset - offset < quint64(bytes.size()))
        bytes[qsizetype(m_nStuckOffset - offset)] = char(quint8(bytes[qsizetype(m_nStuckOffset - offset)]) & ~m_nStuckMask);
    return bytes;
}

QByteArray CSimFlash::Read(quint64 offset, qsizetype count) const
{
    QByteArray bytes = ReadInside(offset, quint64(std::max<qsizetype>(count, 0)));
    bytes.append(std::max<qsizetype>(count, 0) - bytes.size(), kErased);
    return bytes;
}

quint16 CSimFlash::Checksum(quint64 offset, quint64 count) const
{
    const QByteArray bytes = ReadInside(offset, count);
    CommChecksum checksum(0);
    checksum.Add(reinterpret_cast<const quint8 *>(bytes.constData()), bytes.size());
    return checksum.Value();
}

void CSimFlash::SetStuckBits(quint64 offset, quint8 mask)
{
    m_nStuckOffset = offset;
    m_nStuckMask = mask;
}

bool CSimFlash::Save()
{
    if (!m_bChanged)
        return true;
    // One attempt per change: a failed save is reported once, not again at the end.
    m_bChanged = false;
    CFileName::MakeFolderOf(m_strPath);
    const QString error = CReplacingFile::WriteWhole(m_strPath, m_bytes);
    if (error.isEmpty())
        return true;
    theLog.Add(QStringLiteral("Cannot save the simulated flash to %1: %2.\r\n")
                   .arg(QDir::toNativeSeparators(m_strPath), error));
    return false;
}
