#pragma once

// Faults of the file system for the tests: a full disk, a settings file
// that cannot be read, and what the code under test says on standard error.

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

// A small tmpfs mounted over a folder the test owns, for as long as this
// lives. Mounting needs root (the tests run as root in CI); elsewhere
// mounted() is false and the test skips.
class FullDisk
{
public:
    explicit FullDisk(const QString &folder)
        : m_folder(QFile::encodeName(folder))
    {
        m_mounted = ::geteuid() == 0
            && ::mount("tmpfs", m_folder.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k,mode=0700") == 0;
    }
    ~FullDisk()
    {
        if (m_mounted)
            ::umount2(m_folder.constData(), MNT_DETACH);
    }
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;

    bool mounted() const { return m_mounted; }

    // Takes every free block; the files already there keep theirs.
    bool fill() const
    {
        const int file = ::open((m_folder + "/filler").constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        if (file < 0)
            return false;
        const QByteArray block(4096, 'f');
        for (qsizetype size = block.size(); size > 0;) {
            if (::write(file, block.constData(), size_t(size)) < 0)
                size = errno == ENOSPC ? size / 2 : 0;
        }
        const bool full = errno == ENOSPC;
        ::close(file);
        return full;
    }

private:
    QByteArray m_folder;
    bool m_mounted = false;
};

// Puts at path something that is there but cannot be read as a regular
// file: "folder", "named pipe", "device link" or "unreadable" (mode 000,
// or for root, who reads any mode, a link to a file even root may not
// read). Returns why it could not, or nothing.
inline QString makeUnreadable(const QString &path, const QByteArray &kind)
{
    const QByteArray name = QFile::encodeName(path);
    if (kind == "folder")
        return ::mkdir(name.constData(), 0700) == 0 ? QString() : QStringLiteral("mkdir failed");
    if (kind == "named pipe")
        return ::mkfifo(name.constData(), 0600) == 0 ? QString() : QStringLiteral("mkfifo failed");
    if (kind == "device link")
        return QFile::link(QStringLiteral("/dev/null"), path) ? QString() : QStringLiteral("no link");
    if (::geteuid() != 0) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write("[PowerMenu]\nEnableTray=1\n") < 0)
            return QStringLiteral("cannot write the file");
        file.close();
        return QFile::setPermissions(path, {}) ? QString() : QStringLiteral("chmod failed");
    }
    // Write-only, whatever the caller's rights.
    const char *writeOnly = "/proc/sys/vm/compact_memory";
    const int probe = ::open(writeOnly, O_RDONLY | O_CLOEXEC);
    if (probe >= 0 || errno != EACCES) {
        if (probe >= 0)
            ::close(probe);
        return QStringLiteral("no file that root may not read");
    }
    return QFile::link(QString::fromLatin1(writeOnly), path) ? QString() : QStringLiteral("no link");
}

// What lstat says of path, and a link's target: equal before and after
// means nothing wrote over it.
inline QByteArray statusOf(const QString &path)
{
    struct stat status = {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return "missing";
    return QByteArray::number(status.st_ino) + ' ' + QByteArray::number(status.st_mode, 8) + ' '
        + QByteArray::number(qint64(status.st_size)) + ' ' + QFile::encodeName(QFileInfo(path).symLinkTarget());
}

// Standard error, caught into a file while this lives.
class StandardError
{
public:
    StandardError()
        : m_file(std::tmpfile())
    {
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        if (m_file)
            ::dup2(::fileno(m_file), STDERR_FILENO);
    }
    ~StandardError()
    {
        restore();
        if (m_file)
            std::fclose(m_file);
    }
    StandardError(const StandardError &) = delete;
    StandardError &operator=(const StandardError &) = delete;

    // Everything written so far; standard error goes back where it was.
    QByteArray text()
    {
        restore();
        if (!m_file)
            return "<not caught>";
        QFile caught;
        ::lseek(::fileno(m_file), 0, SEEK_SET);
        return caught.open(::fileno(m_file), QIODevice::ReadOnly) ? caught.readAll() : QByteArray();
    }

    // The lines that start with the program's own name.
    QList<QByteArray> ownLines()
    {
        QList<QByteArray> own;
        for (const QByteArray &line : text().split('\n')) {
            if (line.startsWith("dimmerling: "))
                own.append(line);
        }
        return own;
    }

private:
    void restore()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
        m_saved = -1;
    }

    std::FILE *m_file = nullptr;
    int m_saved = -1;
};
