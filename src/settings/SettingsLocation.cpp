#include "settings/SettingsLocation.h"

#include "common/Logging.h"
#include "platform/AtomicFile.h"
#include "platform/ConfigFolders.h"
#include "settings/SettingsFile.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>
#include <optional>

namespace {

const QString FileName = QStringLiteral("settings.ini");

// What choose() found, for the start of a missing file.
QString programFolder;
bool perUser = false;
std::optional<QString> startFile;

void tell(const QString &line)
{
    std::fprintf(stderr, "dimmerling: %s\n", qPrintable(line));
    std::fflush(stderr);
}

QByteArray builtIn()
{
    QFile file(SettingsFile::Default);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The files a user's own settings start from, the administrator's first.
QStringList sharedFiles()
{
    QStringList files;
    if (!programFolder.isEmpty())
        files << SettingsFile::path(programFolder);
    for (const QString &folder : ConfigFolders::systemFolders())
        files << folder + QStringLiteral("/dimmerling/") + FileName;
    return files;
}

// The first shared file that can be read, with its bytes; the built-in
// values when there is none. A file that is there but cannot be read is
// passed over, and said so: its administrator meant it to count.
QString firstReadable(QByteArray *content)
{
    for (const QString &file : sharedFiles()) {
        const QString reason = ConfigFolders::readRegularFile(file, content);
        if (reason.isEmpty())
            return file;
        if (QFileInfo(file).exists() || QFileInfo(file).isSymLink())
            tell(QStringLiteral("cannot read the shared settings file %1: %2; passed over").arg(file, reason));
        else
            qCInfo(lcSettings, "no shared settings file at %s", qPrintable(file));
    }
    *content = builtIn();
    return SettingsFile::Default;
}

// Where a missing file starts from, with its bytes; kept as the fallback.
QString startFrom(QByteArray *content)
{
    if (perUser) {
        startFile = firstReadable(content);
    } else {
        *content = builtIn();
        startFile = SettingsFile::Default;
    }
    return *startFile;
}

} // namespace

QString SettingsLocation::choose(const QString &applicationFolder)
{
    programFolder = applicationFolder;
    startFile.reset();
    const QString why = ConfigFolders::whyNotForSettings(applicationFolder);
    perUser = !why.isEmpty();
    if (!perUser) {
        qCInfo(lcSettings, "the settings file is beside the program, in %s", qPrintable(applicationFolder));
        return SettingsFile::path(applicationFolder);
    }
    QString own = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/dimmerling/") + FileName;
    qCInfo(lcSettings, "%s: the settings file is this user's own, %s", qPrintable(why), qPrintable(own));
    return own;
}

bool SettingsLocation::ensureExists(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists())
        return true;
    // A link to a file that is not there (an unmounted folder, say) is the
    // user's: not written through.
    if (info.isSymLink()) {
        qCInfo(lcSettings, "%s links to nothing: left as it is", qPrintable(path));
        return false;
    }
    QByteArray content;
    const QString from = startFrom(&content);
    const QString folderProblem = ConfigFolders::makeFolder(info.absolutePath());
    if (!folderProblem.isEmpty()) {
        tell(QStringLiteral("cannot make the folder %1 for the settings file: %2; using %3")
                 .arg(info.absolutePath(), folderProblem, valuesOf(from)));
        return false;
    }
    // Through a temporary file, so neither a crash nor a full disk leaves
    // a half-written or empty file behind.
    if (!AtomicFile::replace(path, content)) {
        tell(QStringLiteral("cannot write the settings file %1; using %2").arg(path, valuesOf(from)));
        return false;
    }
    qCInfo(lcSettings, "made %s from %s", qPrintable(path), qPrintable(valuesOf(from)));
    return true;
}

QString SettingsLocation::fallback()
{
    QByteArray unused;
    return startFile ? *startFile : startFrom(&unused);
}

QString SettingsLocation::valuesOf(const QString &file)
{
    return file == SettingsFile::Default ? QStringLiteral("the built-in settings")
                                         : QStringLiteral("the settings in %1").arg(file);
}
