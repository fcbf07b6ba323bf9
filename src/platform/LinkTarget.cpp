#include "platform/LinkTarget.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <unistd.h>

namespace {

constexpr int maxLinks = 40; // the kernel's own limit

QByteArray joined(const QByteArray &folder, const QByteArray &name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

QByteArray realPath(const QByteArray &path)
{
    char *real = ::realpath(path.constData(), nullptr);
    if (real == nullptr)
        return {};
    QByteArray result(real);
    std::free(real);
    return result;
}

} // namespace

LinkTarget::Place LinkTarget::split(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return {".", path};
    return {slash == 0 ? QByteArray("/") : path.left(slash), path.mid(slash + 1)};
}

QByteArray LinkTarget::resolved(QByteArray path)
{
    for (int depth = 0; depth <= maxLinks; ++depth) {
        QByteArray real = realPath(path);
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

