#include "SettingsFile.h"

#include "common/Logging.h"
#include "settings/ProfileFile.h"

namespace {

// Values are cut to one less than this, as the settings readers have always
// cut them.
constexpr int ReadBufferSize = 255;

} // namespace

QString SettingsFile::path(const QString &applicationFolder)
{
    return applicationFolder + QLatin1Char('/') + QStringLiteral("settings.ini");
}

SettingsFile::Values SettingsFile::load(const QString &path, Reader reader)
{
    qCInfo(lcSettings, "reading the settings from %s", qPrintable(path));
    const auto value = [&path](const QString &key) { return ReadIni(path, Section, key); };
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
