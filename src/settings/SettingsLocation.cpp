#include "settings/SettingsLocation.h"

#include "common/Logging.h"
#include "platform/AtomicFile.h"
#include "platform/ConfigFolders.h"
#include "settings/SettingsFile.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>

namespace {

const QString FileName = QStringLiteral("settings.ini");

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
QStringList sharedFiles(const QString &programFolder)
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
QString firstReadable(const QString &programFolder, QByteArray *content)
{
    for (const QString &file : sharedFiles(programFolder)) {
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

// How messages name the values of file.
QString valuesOf(const QString &file)
{
    return file == SettingsFile::Default ? QStringLiteral("the built-in settings")
                                         : QStringLiteral("the settings in %1").arg(file);
}

} // namespace

SettingsLocation::SettingsLocation(const QString &applicationFolder)
    : m_programFolder(applicationFolder)
{
    const QString why = ConfigFolders::whyNotForSettings(applicationFolder);
    m_perUser = !why.isEmpty();
    if (!m_perUser) {
        qCInfo(lcSettings, "the settings file is beside the program, in %s", qPrintable(applicationFolder));
        m_path = SettingsFile::path(applicationFolder);
        return;
    }
    m_path = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/dimmerling/") + FileName;
    qCInfo(lcSettings, "%s: the settings file is this user's own, %s", qPrintable(why), qPrintable(m_path));
}

void SettingsLocation::ensureExists()
{
    const QFileInfo info(m_path);
    if (info.exists())
        return;
    // A link to a file that is not there (an unmounted folder, say) is the
    // user's: not written through.
    if (info.isSymLink()) {
        qCInfo(lcSettings, "%s links to nothing: left as it is", qPrintable(m_path));
        return;
    }
    QByteArray content;
    const QString from = startFrom(&content);
    const QString folderProblem = ConfigFolders::makeFolder(info.absolutePath());
    if (!folderProblem.isEmpty()) {
        tell(QStringLiteral("cannot make the folder %1 for the settings file: %2; using %3")
                 .arg(info.absolutePath(), folderProblem, valuesOf(from)));
        return;
    }
    // Through a temporary file, so neither a crash nor a full disk leaves
    // a half-written or empty file behind.
    if (!AtomicFile::replace(m_path, content)) {
        tell(QStringLiteral("cannot write the settings file %1; using %2").arg(m_path, valuesOf(from)));
        return;
    }
    qCInfo(lcSettings, "made %s from %s", qPrintable(m_path), qPrintable(valuesOf(from)));
}

QString SettingsLocation::readFrom()
{
    const QString reason = ConfigFolders::whyUnreadable(m_path);
    if (reason.isEmpty() && QFileInfo(m_path).isFile())
        return m_path;
    if (!reason.isEmpty())
        tellUnreadable(reason);
    else
        qCInfo(lcSettings, "no settings file at %s", qPrintable(m_path));
    return fallback();
}

// Where a missing file starts from, with its bytes; kept as the fallback.
QString SettingsLocation::startFrom(QByteArray *content)
{
    if (m_perUser) {
        m_startFile = firstReadable(m_programFolder, content);
    } else {
        *content = builtIn();
        m_startFile = SettingsFile::Default;
    }
    return *m_startFile;
}

QString SettingsLocation::fallback()
{
    QByteArray unused;
    return m_startFile ? *m_startFile : startFrom(&unused);
}

void SettingsLocation::tellUnreadable(const QString &reason)
{
    const QString line = QStringLiteral("cannot read the settings file %1: %2; using %3 and leaving the file as it is")
                             .arg(m_path, reason, valuesOf(fallback()));
    if (m_told.contains(line))
        return;
    m_told.insert(line);
    tell(line);
}
