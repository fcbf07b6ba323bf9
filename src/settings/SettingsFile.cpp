#include "SettingsFile.h"

#include "common/Logging.h"
#include "platform/ProfileFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>

#include <cstdio>

namespace {

// Values are cut to one less than this, as the settings readers have always
// cut them.
constexpr int ReadBufferSize = 255;

} // namespace

QString SettingsFile::path(const QString &applicationFolder)
{
    return applicationFolder + QLatin1Char('/') + QStringLiteral("settings.ini");
}

QString SettingsFile::choose(const QString &applicationFolder)
{
    if (ProfileFile::mayWriteIn(applicationFolder)) {
        qCInfo(lcSettings, "the program's folder %s can be written: the settings file is beside the program",
               qPrintable(applicationFolder));
        return path(applicationFolder);
    }
    QString chosen =
        path(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/dimmerling"));
    qCInfo(lcSettings, "the program's folder %s cannot be written: the settings file is %s",
           qPrintable(applicationFolder), qPrintable(chosen));
    return chosen;
}

bool SettingsFile::ensureExists(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists())
        return true;
    // A link to a file that is not there (an unmounted folder, say) is the
    // user's: not written through, and the shipped values serve this run.
    if (info.isSymLink()) {
        qCInfo(lcSettings, "%s links to nothing: left as it is", qPrintable(path));
        return false;
    }
    const QString folderProblem = ProfileFile::makeFolder(info.absolutePath());
    if (!folderProblem.isEmpty()) {
        std::fprintf(stderr, "dimmerling: cannot make the folder %s for the settings file: %s; "
                             "using the shipped settings\n",
                     qPrintable(info.absolutePath()), qPrintable(folderProblem));
        std::fflush(stderr);
        return false;
    }
    QFile shipped(Default);
    if (!shipped.open(QIODevice::ReadOnly))
        return false;
    // Through a temporary file, so neither a crash nor a full disk leaves
    // a half-written or empty file behind.
    const bool written = ProfileFile::replaceFile(path, shipped.readAll());
    qCInfo(lcSettings, "%s the shipped settings to %s", written ? "wrote" : "could not write", qPrintable(path));
    return written;
}

QString SettingsFile::readFrom(const QString &path)
{
    const QString reason = ProfileFile::whyUnreadable(path);
    if (reason.isEmpty() && QFileInfo(path).isFile())
        return path;
    if (!reason.isEmpty()) {
        // Once per file and reason, however often the settings are read.
        static QSet<QString> told;
        const QString line = QStringLiteral("dimmerling: cannot read the settings file %1: %2; "
                                            "using the shipped settings and leaving the file as it is")
                                 .arg(path, reason);
        if (!told.contains(line)) {
            told.insert(line);
            std::fprintf(stderr, "%s\n", qPrintable(line));
            std::fflush(stderr);
        }
    } else {
        qCInfo(lcSettings, "no settings file at %s: using the shipped settings", qPrintable(path));
    }
    return Default;
}

SettingsFile::Values SettingsFile::load(const QString &path, Reader reader)
{
    const QString source = readFrom(path);
    qCInfo(lcSettings, "reading the settings from %s", qPrintable(source));
    const auto value = [&source](const QString &key) { return ReadIni(source, Section, key); };
    Values values;
    values.moveMouseOver = value(MoveMouseOver) == On;
    values.enableSettings = value(EnableSettings) == On;
    values.enableTray = value(EnableTray) == On;
    values.hideWhenFull = value(HideWhenFull) == On;
    values.warnBelow20 = value(WarnBelow20) == On;
    // The meter has always shown the text unless told "0", the dialog ticked
    // its box only when told "1": a file without the key shows the text, and
    // saving it from the dialog unchanged hides it.
    const QString showPercentage = value(ShowPercentage);
    values.showPercentage = reader == Reader::Meter ? showPercentage != Off : showPercentage == On;
    return values;
}

QString ReadIni(const QString &Filename, const QString &Section, const QString &Key)
{
    return QString::fromLocal8Bit(ProfileFile::readString(Filename, Section.toLocal8Bit(),
                                                          Key.toLocal8Bit(), ReadBufferSize));
}

bool INIWrite(const QString &sSection, const QString &sKeyName, const QString &sNewString,
              const QString &sINIFileName)
{
    return ProfileFile::writeString(sINIFileName, sSection.toLocal8Bit(), sKeyName.toLocal8Bit(),
                                    sNewString.toLocal8Bit());
}
