// Why not QSaveFile: run as root on a user's file it hands the file to root
// (it keeps the mode, not the owner); its temporary name ("<name>.XXXXXX")
// cannot be made beside a name near NAME_MAX long, so such a file could never
// be saved; it follows a link by its text, so a link "../x" inside a linked
// folder replaces the wrong file; and it leaves what a crash left behind.
#include "platform/AtomicFile.h"

#include "common/Logging.h"
#include "platform/LinkTarget.h"
#include "platform/TemporaryFiles.h"

#include <QByteArrayView>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using LinkTarget::split;

// Every byte or false: a short write is retried, and one that writes
// nothing fails rather than looping.
bool writeAll(int file, QByteArrayView content)
{
    while (!content.isEmpty()) {
        const ssize_t written = ::write(file, content.data(), size_t(content.size()));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        content = content.sliced(written);
    }
    return true;
}

bool failed(const char *step, const QByteArray &path)
{
    // Read first: the logging itself may change errno.
    const int error = errno;
    qCInfo(lcSettings, "cannot save %s: %s: %s", qPrintable(QFile::decodeName(path)), step,
           std::strerror(error));
    return false;
}

// The old file's owner, group and mode on the new one: root saving a
// user's file must not take it over. Null when all went well.
const char *takeOver(int file, const struct stat &old)
{
    struct stat now = {};
    if (::fstat(file, &now) != 0)
        return "fstat";
    if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid)
        && ::fchown(file, old.st_uid, old.st_gid) != 0)
        return "fchown";
    return ::fchmod(file, old.st_mode & 07777) == 0 ? nullptr : "fchmod";
}

// Writes, then syncs and closes file; the failing step, or null.
const char *finish(int file, QByteArrayView content, const struct stat *old)
{
    const char *step = nullptr;
    if (!writeAll(file, content))
        step = "write";
    else if (old != nullptr)
        step = takeOver(file, *old);
    if (step == nullptr && ::fsync(file) != 0)
        step = "fsync";
    const int cause = errno;
    if (::close(file) != 0 && step == nullptr)
        return "close";
    errno = cause;
    return step;
}

// Without a temporary file: the only way where the folder is closed to this
// user but the file is not. A failure may leave the file half written.
bool writeInPlace(const QByteArray &target, QByteArrayView content)
{
    const int file = ::open(target.constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (file < 0)
        return failed("open", target);
    const char *step = writeAll(file, content) ? nullptr : "write";
    if (step == nullptr && ::ftruncate(file, content.size()) != 0)
        step = "ftruncate";
    if (step == nullptr) {
        step = finish(file, {}, nullptr); // syncs and closes
    } else {
        const int cause = errno;
        ::close(file);
        errno = cause;
    }
    if (step != nullptr)
        return failed(step, target);
    qCInfo(lcSettings, "saved %s in place: no new file can be made beside it",
           qPrintable(QFile::decodeName(target)));
    return true;
}

void syncFolder(int folder, const QByteArray &target)
{
    // The rename reaches the disk with the folder; the file is already
    // replaced, so a folder that cannot be synced is no failure.
    if (::fsync(folder) != 0)
        qCInfo(lcSettings, "saved %s, but could not sync its folder: %s",
               qPrintable(QFile::decodeName(target)), std::strerror(errno));
}

enum class Outcome { Saved, Failed, InPlace };

Outcome replaceIn(int folder, const QByteArray &target, const struct stat *old, QByteArrayView content)
{
    const QByteArray name = split(target).name;
    const QByteArray stem = TemporaryFiles::stem(name);
    TemporaryFiles::removeStale(folder, stem);
    // A new file gets the mode the umask gives; an old one keeps its own.
    QByteArray temporary;
    const int file = TemporaryFiles::create(folder, stem, old ? S_IRUSR | S_IWUSR : 0666, &temporary);
    if (file < 0) {
        if (old != nullptr && (errno == EACCES || errno == EPERM))
            return Outcome::InPlace;
        failed("creating the temporary file", target);
        return Outcome::Failed;
    }
    const char *step = finish(file, content, old);
    if (step == nullptr && ::renameat(folder, temporary.constData(), folder, name.constData()) != 0)
        step = "rename";
    if (step == nullptr) {
        syncFolder(folder, target);
        return Outcome::Saved;
    }
    const int cause = errno;
    ::unlinkat(folder, temporary.constData(), 0);
    // Another user's file that this user may write: a new file would be
    // this user's, so it is written in place instead.
    if (std::strcmp(step, "fchown") == 0 && cause == EPERM)
        return Outcome::InPlace;
    errno = cause;
    failed(step, target);
    return Outcome::Failed;
}

int openFolder(const QByteArray &folder)
{
    // Read access only to sync and list it; without, a path still serves.
    const int opened = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return opened >= 0 ? opened : ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

} // namespace

namespace AtomicFile {

bool replace(const QString &path, const QByteArray &content)
{
    const QByteArray target = LinkTarget::resolved(QFile::encodeName(path));
    if (target.isEmpty())
        return failed("following its links", QFile::encodeName(path));
    struct stat old = {};
    const bool exists = ::stat(target.constData(), &old) == 0;
    if (!exists && errno != ENOENT)
        return failed("stat", target);
    // Only a regular file is replaced, and only one this user may write:
    // a read-only file stays as it is (root may still write it, as before).
    if (exists && !S_ISREG(old.st_mode)) {
        qCInfo(lcSettings, "cannot save %s: not a regular file", qPrintable(QFile::decodeName(target)));
        return false;
    }
    if (exists && ::access(target.constData(), W_OK) != 0)
        return failed("access", target);
    const int folder = openFolder(split(target).folder);
    if (folder < 0)
        return failed("opening its folder", target);
    const Outcome outcome = replaceIn(folder, target, exists ? &old : nullptr, content);
    ::close(folder);
    return outcome == Outcome::InPlace ? writeInPlace(target, content) : outcome == Outcome::Saved;
}

} // namespace AtomicFile
