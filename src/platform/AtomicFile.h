#pragma once

#include <QByteArray>
#include <QString>

namespace AtomicFile {

// Replaces the file at path with content. The file replaced is the one the
// kernel opens for path, at the end of its links, so the links stay; it keeps
// its owner, group and mode. The content goes to a temporary file beside it
// that is renamed over it only once every byte is on the disk; where no file
// can be made in its folder but the file itself may be written, it is written
// in place. Returns false, with the old file as it was and no temporary file
// left, when any step fails (in place, a failure may leave it half written).
bool replace(const QString &path, const QByteArray &content);

} // namespace AtomicFile
