#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A fake power-supply folder in a temporary directory, laid out like the
// kernel's: each supply folder sits under devices/ and is reached through a
// symbolic link in class/, and each attribute is a file ending in a newline.
// Lines read "SUPPLY/attribute=value". Each call says whether it succeeded,
// so that a test can QVERIFY it.
class SysfsTree
{
public:
    bool isValid() const { return m_dir.isValid(); }
    // The folder a battery source reads, as /sys/class/power_supply.
    QString root() const { return m_dir.filePath(QStringLiteral("class")); }

    // Replaces the whole tree with these attributes.
    bool write(const QStringList &lines);
    // Writes one attribute, adding its supply when it is new.
    bool set(const QString &line);
    // Takes a supply's folder away and leaves its link dangling, as when a
    // battery is pulled out mid-scan.
    bool remove(const QString &supply);

private:
    QString device(const QString &supply) const;

    QTemporaryDir m_dir;
};
