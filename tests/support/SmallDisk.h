#pragma once

#include <QString>
#include <QTemporaryDir>

// A full disk for one test: a small tmpfs mounted on a scratch folder, whose
// room Fill() takes up. Mounting needs the privilege to mount; a test without
// it skips (IsMounted, Reason).
class SmallDisk {
public:
    explicit SmallDisk(int kib = 64);
    ~SmallDisk();
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool IsMounted() const { return m_bMounted; }
    QString Reason() const { return m_strReason; }
    QString Path(const QString &name) const { return m_dir.filePath(name); }
    // Writes a filler file until not one more byte fits.
    void Fill() const;

private:
    QTemporaryDir m_dir;
    bool m_bMounted = false;
    QString m_strReason;
};
