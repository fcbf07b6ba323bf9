#include "platform/AtomicFile.h"

#include "common/Logging.h"

#include <QByteArrayView>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int maxLinks = 40; // the kernel's own limit
constexpr char temporaryMark[] = ".tmp-";
constexpr qsizetype maxRandomPart = 7; // a 32-bit number in base 36
// A temporary file this old belongs to no save still running (a gauge on
// another display may be saving the same file): a crash left it.
constexpr time_t staleAfter = 60; // seconds

struct Place
{
    QByteArray folder;
    QByteArray name;
};

Place split(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return {".", path};
    return {slash == 0 ? QByteArray("/") : path.left(slash), path.mid(slash + 1)};
}

QByteArray joined(const QByteArray &folder, const QByteArray &name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

QByteArray realPath(const QByteArray &path)
{
    char *real = ::realpath(path.constData(), nullptr);
    if (real == nullptr)
        return {};
    const QByteArray result(real);
    std::free(real);
    return result;
}

// The file the kernel opens for path: each link is followed from the folder
// it really lives in, so "sub/../x" behind a linked "sub" is not taken as
// text. A missing file, or a link to one, resolves to where it would be
// made. Empty, with errno set, when there is no such place.
QByteArray resolved(QByteArray path)
{
    for (int depth = 0; depth <= maxLinks; ++depth) {
        const QByteArray real = realPath(path);
        if (!real.isEmpty() || errno != ENOENT)
            return real;
        const Place place = split(path);
        const QByteArray folder = realPath(place.folder);
        if (folder.isEmpty())
            return {};
        const QByteArray there = joined(folder, place.name);
        char target[PATH_MAX];
        const ssize_t size = ::readlink(there.constData(), target, sizeof target);
        if (size < 0)
            return errno == ENOENT ? there : QByteArray();
        const QByteArray next(target, size);
        path = next.startsWith('/') ? next : joined(folder, next);
    }
    errno = ELOOP;
    return {};
}

// The start of a temporary file's name: the file's own name, cut so that
// the mark and the random part still fit in NAME_MAX.
QByteArray temporaryStem(const QByteArray &name)
{
    return name.left(NAME_MAX - qsizetype(sizeof temporaryMark - 1) - maxRandomPart) + temporaryMark;
}

bool isOwnTemporary(QByteArrayView entry, QByteArrayView stem)
{
    if (!entry.startsWith(stem))
        return false;
    const QByteArrayView random = entry.sliced(stem.size());
    if (random.isEmpty() || random.size() > maxRandomPart)
        return false;
    for (char c : random) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z')))
            return false;
    }
    return true;
}

// What a crash during an earlier save left beside the file: only this
// user's regular files named as this program names them.
void removeStaleTemporaries(int folder, const QByteArray &stem)
{
    const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR *entries = listing < 0 ? nullptr : ::fdopendir(listing);
    if (entries == nullptr) {
        if (listing >= 0)
            ::close(listing);
        return;
    }
    const time_t now = std::time(nullptr);
    while (const dirent *entry = ::readdir(entries)) {
        struct stat status = {};
        if (isOwnTemporary(entry->d_name, stem)
            && ::fstatat(folder, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0
            && S_ISREG(status.st_mode) && status.st_uid == ::geteuid()
            && now - status.st_mtime >= staleAfter && ::unlinkat(folder, entry->d_name, 0) == 0)
            qCInfo(lcSettings, "removed %s, left by an earlier save", entry->d_name);
    }
    ::closedir(entries);
}

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

// A new file in folder, never an existing one; -1 when none can be made.
int createTemporary(int folder, const QByteArray &stem, mode_t mode, QByteArray *name)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        *name = stem + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        const int file = ::openat(folder, name->constData(),
                                  O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
        if (file >= 0 || errno != EEXIST)
            return file;
    }
    return -1;
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
    const QByteArray stem = temporaryStem(name);
    removeStaleTemporaries(folder, stem);
    // A new file gets the mode the umask gives; an old one keeps its own.
    QByteArray temporary;
    const int file = createTemporary(folder, stem, old ? S_IRUSR | S_IWUSR : 0666, &temporary);
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
    const QByteArray target = resolved(QFile::encodeName(path));
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
