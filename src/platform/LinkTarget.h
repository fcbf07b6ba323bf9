#pragma once

#include <QByteArray>

namespace LinkTarget {

struct Place
{
    QByteArray folder;
    QByteArray name;
};

// The folder a path names its file in ("." for a bare name) and the name.
Place split(const QByteArray &path);

// The file the kernel opens for path: each link is followed from the folder
// it really lives in, so "sub/../x" behind a linked "sub" is not taken as
// text. A missing file, or a link to one, resolves to where it would be
// made. Empty, with errno set, when there is no such place.
QByteArray resolved(QByteArray path);

} // namespace LinkTarget
