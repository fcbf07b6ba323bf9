#include "QtApplication.h"

#include <QCoreApplication>
#include <QFileInfo>

QString QtApplication::folder() const
{
    return QCoreApplication::applicationDirPath();
}

std::optional<double> QtApplication::fileSize(const QString &path) const
{
    const QFileInfo info(path);
    if (!info.isFile())
        return std::nullopt;
    return double(info.size());
}

void QtApplication::endProgram()
{
    // Leaves every event loop, a menu's too.
    QCoreApplication::exit(0);
}
