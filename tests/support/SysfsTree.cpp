#include "SysfsTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QString SysfsTree::device(const QString &supply) const
{
    return m_dir.filePath(QStringLiteral("devices/") + supply);
}

bool SysfsTree::write(const QStringList &lines)
{
    if (!QDir(root()).removeRecursively() || !QDir(m_dir.filePath(QStringLiteral("devices"))).removeRecursively()
        || !QDir().mkpath(root()))
        return false;
    for (const QString &line : lines) {
        if (!set(line))
            return false;
    }
    return true;
}

bool SysfsTree::set(const QString &line)
{
    const QString supply = line.section(QLatin1Char('/'), 0, 0);
    const QString attribute = line.section(QLatin1Char('/'), 1).section(QLatin1Char('='), 0, 0);
    const QString value = line.section(QLatin1Char('='), 1);
    const QString folder = device(supply);
    if (!QFileInfo::exists(folder)
        && !(QDir().mkpath(folder) && QFile::link(folder, root() + QLatin1Char('/') + supply)))
        return false;
    QFile file(folder + QLatin1Char('/') + attribute);
    const QByteArray text = value.toUtf8() + '\n';
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

bool SysfsTree::remove(const QString &supply)
{
    return QDir(device(supply)).removeRecursively();
}
