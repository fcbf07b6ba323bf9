#include "platform/TemporaryFiles.h"

#include "common/Logging.h"

#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char temporaryMark[] = ".tmp-";
constexpr qsizetype maxRandomPart = 7; // a 32-bit number in base 36
// A temporary file this old belongs to no save still running (a gauge on
// another display may be saving the same file): a crash left it.
constexpr time_t staleAfter = 60; // seconds

bool isOwnTemporary(QByteArrayView entry, QByteArrayView stem)
{
    if (!entry.startsWith(stem))
        return false;
    const QByteArrayView random = entry.sliced(stem.size());
    if (random.isEmpty() || random.size() > maxRandomPart)
        return false;
    bool digit = false;
    for (char c : random) {
        digit = digit || (c >= '0' && c <= '9');
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z')))
            return false;
    }
    // Ours always hold a digit; "settings.ini.tmp-old" is somebody's copy.
    return digit;
}

} // namespace

QByteArray TemporaryFiles::stem(const QByteArray &name)
{
    return name.left(NAME_MAX - qsizetype(sizeof temporaryMark - 1) - maxRandomPart) + temporaryMark;
}

void TemporaryFiles::removeStale(int folder, const QByteArray &stem)
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

int TemporaryFiles::create(int folder, const QByteArray &stem, mode_t mode, QByteArray *name)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        const quint32 random = QRandomGenerator::global()->generate();
        // A digit first, then at most six base-36 places: seven at most.
        *name = stem + char('0' + random % 10) + QByteArray::number(random / 10, 36);
        const int file = ::openat(folder, name->constData(),
                                  O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
        if (file >= 0 || errno != EEXIST)
            return file;
    }
    return -1;
}
