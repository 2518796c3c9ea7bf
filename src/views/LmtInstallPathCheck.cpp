#include "views/LmtInstallPathCheck.h"

#include "platform/LmtPlatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace zendrel::lmt::setup {

namespace {

QString invalidPathText()
{
    return QCoreApplication::translate("LmtToolConfigDialog", "The installation path is invalid.");
}

// The last folder name of a path, ignoring a trailing separator.
QString lastComponent(const QString &path)
{
    return QFileInfo(QDir::cleanPath(QDir::fromNativeSeparators(path))).fileName();
}

} // namespace

LmtInstallPathRules currentInstallPathRules()
{
    return platform::osName() == QLatin1String("Windows") ? LmtInstallPathRules::DriveLetter
                                                          : LmtInstallPathRules::Posix;
}

LmtInstallPathVerdict checkInstallPath(const QString &path, LmtInstallPathRules rules)
{
    if (path.contains(QLatin1Char(' ')))
        return { false,
            QCoreApplication::translate(
                "LmtToolConfigDialog", "The installation path cannot contain spaces.") };
    if (path.size() < 2)
        return { false, invalidPathText() };

    if (rules == LmtInstallPathRules::DriveLetter) {
        // The first two characters name the drive ("C:"); it has to exist.
        const QString drive = path.left(2);
        if (QDir::isRelativePath(drive) || !QDir(drive).exists())
            return { false, invalidPathText() };
        return {};
    }
    // Without drives, a relative path would depend on the installer's working directory.
    if (QDir::isRelativePath(path))
        return { false, invalidPathText() };
    return {};
}

QString installBrowseStart(const QString &typedPath, const QString &defaultDirectory)
{
    const QString defaultLast = lastComponent(defaultDirectory);
    if (!QFileInfo(typedPath).isDir() && !defaultLast.isEmpty()
        && lastComponent(typedPath) == defaultLast)
        return QFileInfo(QDir::cleanPath(typedPath)).absolutePath();
    return typedPath;
}

QString installPathFromBrowse(const QString &chosenDirectory, const QString &defaultDirectory)
{
    const QString defaultLast = lastComponent(defaultDirectory);
    if (defaultLast.isEmpty() || lastComponent(chosenDirectory) == defaultLast)
        return chosenDirectory;
    QString result = chosenDirectory;
    if (!result.endsWith(QLatin1Char('/')) && !result.endsWith(QLatin1Char('\\')))
        result += QLatin1Char('/');
    return result + defaultLast;
}

} // namespace zendrel::lmt::setup
