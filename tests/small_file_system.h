// A tmpfs of a given size mounted over a temporary folder, for a library on a full or
// read-only disk. Mounting needs privileges: valid() is false where the machine refuses it,
// and tests then skip.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <sys/mount.h>

namespace vorla::test {

class SmallFileSystem
{
public:
    explicit SmallFileSystem(const char *size)
    {
        const QByteArray options = QByteArray("size=") + size + ",mode=0700";
        m_mounted = m_dir.isValid()
            && ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0,
                   options.constData())
                == 0;
    }
    ~SmallFileSystem()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem &) = delete;
    SmallFileSystem &operator=(const SmallFileSystem &) = delete;

    bool valid() const { return m_mounted; }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    // Makes the whole file system read-only (root cannot write it either).
    bool makeReadOnly()
    {
        return ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs",
                   MS_REMOUNT | MS_RDONLY, nullptr)
            == 0;
    }

    // Fills what space is left with one file.
    void fill() const
    {
        QFile filler(filePath(QStringLiteral("filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return;
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size()) { }
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

} // namespace vorla::test
