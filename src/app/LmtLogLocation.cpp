#include "app/LmtLogLocation.h"

#include "shared_toolkit/Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace zendrel::lmt::setup {

namespace {
const char *const kTag = "[LmtLogLocation]";

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

} // namespace zendrel::lmt::setup
