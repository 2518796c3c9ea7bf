#pragma once

#include <QString>

namespace zendrel::lmt::setup {

// Outcome of checking an installation path typed by the user; message is empty on success.
struct LmtInstallPathVerdict {
    bool ok = true;
    QString message;
};

enum class LmtInstallPathRules {
    // The path must start with an existing drive ("C:"), as the installers require.
    DriveLetter,
    // POSIX: the path must be absolute; there are no drives to look for.
    Posix,
};

// The rules of the running platform.
LmtInstallPathRules currentInstallPathRules();

// Paths holding a space are refused on every platform: the installers cannot handle them.
LmtInstallPathVerdict checkInstallPath(const QString &path, LmtInstallPathRules rules);
inline LmtInstallPathVerdict checkInstallPath(const QString &path)
{
    return checkInstallPath(path, currentInstallPathRules());
}

// The folder a directory browser opens at for the path typed so far: when the typed path
// does not exist yet and ends in the default's last folder (the folder the installer would
// create), its parent, so that the user picks the place rather than the folder itself.
QString installBrowseStart(const QString &typedPath, const QString &defaultDirectory);

// The installation path for a folder picked in the browser: the default's last folder is
// appended unless the picked folder already is one of that name.
QString installPathFromBrowse(const QString &chosenDirectory, const QString &defaultDirectory);

} // namespace zendrel::lmt::setup
