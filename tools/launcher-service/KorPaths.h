#pragma once

#include <QString>

// Every place the launcher service reads or writes. All of them derive from the user's
// environment (HOME, the XDG data home, LOCALAPPDATA, ALLUSERSPROFILE), so a sandboxed
// environment keeps every write of the service inside the sandbox.
namespace zendrel::lmt::korservice::paths {

// "<home>/Zendrel/LauncherService": the executable, the account configuration and the record
// of the running instance live here.
QString serviceDirectory();
// "launcher-config.json" in the service directory: vendor address and demo account.
QString configFile();
// The record of the running instance (port and process id).
QString instanceFile();
// Serialises the start of the service between concurrent callers.
QString startLockFile();

// Registry directory of a scope: 0 current user (LOCALAPPDATA), 1 all users (ALLUSERSPROFILE),
// each followed by "/Zendrel_Technologies_AG/Zendrel-Toolbox".
QString registryDirectory(int scope);
// Downloaded packages: the "Tools" folder of the current-user registry directory.
QString toolsDirectory();

// "<generic data location>/Zendrel_Technologies_AG/Launcher-Service/resources/logs/
// launcher-service.log", where the application's About box looks for it.
QString logFile();

} // namespace zendrel::lmt::korservice::paths
