#include "base/LmtLogLocation.h"

#include "base/LmtSettings.h"
#include "shared_toolkit/Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryFile>

namespace zendrel::lmt::setup {

namespace {
const char *const kTag = "[LmtLogLocation]";
const QString kGeneralGroup = QStringLiteral("LmtGeneralSettings");
const QString kLogDirKey = QStringLiteral("LogDir");

QString normalisedFolder(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}
} // namespace

QString logBaseName()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

QString logFolderIn(const QString &logDirectory)
{
    return QDir::fromNativeSeparators(logDirectory) + QLatin1Char('/') + logBaseName();
}

bool isSameFolder(const QString &first, const QString &second)
{
    if (first.isEmpty() || second.isEmpty())
        return false;
    return normalisedFolder(first) == normalisedFolder(second);
}

bool restartLogIn(const QString &logDirectory)
{
    auto &log = shared_toolkit::Log::instance();
    const QString previousFile = log.fileName();
    qCInfo(lmtLocal).noquote() << kTag << "Restarting the log in" << logDirectory;
    if (shared_toolkit::initLog(logDirectory, logBaseName(), log.echoToConsole()))
        return true;
    // initLog has closed the old file already; without this the rest of the run would only
    // reach the console.
    if (!previousFile.isEmpty() && log.open(previousFile)) {
        qCWarning(lmtLocal).noquote() << kTag << "Could not move the log to" << logDirectory
                                      << "- continuing in" << previousFile;
    }
    return false;
}

QString resolveLogDirectory()
{
    QSettings &settings = applicationSettings();
    settings.beginGroup(kGeneralGroup);
    QString directory = settings.value(kLogDirKey).toString();
    if (directory.isEmpty() || !QFileInfo::exists(directory)) {
        directory = QDir::tempPath();
        settings.setValue(kLogDirKey, directory);
    }
    settings.endGroup();
    settings.sync();
    return directory;
}

bool logDirectoryWritable(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() || !info.isDir())
        return false;
    QTemporaryFile probe(path + QStringLiteral("/lmtsetup_tmp.file"));
    return probe.open(); // the probe is removed when it goes out of scope
}

QString logFolder()
{
    const QString file = shared_toolkit::Log::instance().fileName();
    if (file.isEmpty())
        return {};
    QDir dir = QFileInfo(file).absoluteDir();
    dir.cdUp();
    return dir.absolutePath();
}

} // namespace zendrel::lmt::setup
