#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

// A fake power-supply folder laid out like the kernel's: each supply folder
// sits under devices/ and is reached through a symbolic link in class/, and
// each attribute is a file ending in a newline. Lines read
// "SUPPLY/attribute=value"; each call says whether it succeeded.
class SysfsTree
{
public:
    bool isValid() const { return m_dir.isValid(); }
    // The folder a battery source reads, as /sys/class/power_supply.
    QString root() const { return m_dir.filePath(QStringLiteral("class")); }

    // Replaces the whole tree with these attributes.
    bool write(const QStringList &lines)
    {
        bool ok = QDir(root()).removeRecursively() && QDir(device({})).removeRecursively()
            && QDir().mkpath(root());
        for (const QString &line : lines)
            ok = ok && set(line);
        return ok;
    }

    // Writes one attribute, adding its supply when it is new.
    bool set(const QString &line)
    {
        const QString supply = line.section(QLatin1Char('/'), 0, 0);
        const QString attribute = line.section(QLatin1Char('/'), 1).section(QLatin1Char('='), 0, 0);
        const QByteArray text = line.section(QLatin1Char('='), 1).toUtf8() + '\n';
        if (!QFileInfo::exists(device(supply))
            && !(QDir().mkpath(device(supply)) && QFile::link(device(supply), root() + '/' + supply)))
            return false;
        QFile file(device(supply) + '/' + attribute);
        return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
    }

    // Takes a supply's folder away, its link left dangling, as a battery pulled out.
    bool remove(const QString &supply) { return QDir(device(supply)).removeRecursively(); }

private:
    QString device(const QString &supply) const
    {
        return m_dir.filePath(QStringLiteral("devices/") + supply);
    }

    QTemporaryDir m_dir;
};
