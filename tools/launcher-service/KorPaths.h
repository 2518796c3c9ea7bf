#pragma once

#include <QString>

// Every place the launcher service reads or writes. All of them derive from the user's
// environment (HOME, the XDG data home, LOCALAPPDATA, ALLUSERSPROFILE), so a sandboxed
// environment keeps every write of the service inside the sandbox. Under sudo the user's
// folders are the invoking user's (see invokingUserHome).
namespace zendrel::lmt::korservice::paths {

// The home of the user who started this process through sudo (from SUDO_UID), empty when it
// was not started through sudo. An installation for all users runs the service as root
// through sudo, which resets HOME, XDG_DATA_HOME and LOCALAPPDATA: the downloaded packages
// and the running service it needs are still that user's.
QString invokingUserHome();
// The home of the user the service works for: the invoking user's under sudo, else ours.
QString userHome();

// "<home>/Zendrel/LauncherService": the executable, the account configuration and the record
// of the running instance live here.
QString serviceDirectory();
// "launcher-config.json" in the service directory: vendor address and demo account.
QString configFile();
// The record of the running instance (port and process id).
QString instanceFile();
// Serialises the start of the service between concurrent callers.
QString startLockFile();

// Registry directory of a scope: 0 current user (LOCALAPPDATA; under sudo the invoking user's
// "<home>/.local/share" unless a variable was kept), 1 all users (ALLUSERSPROFILE), each
// followed by "/Zendrel_Technologies_AG/Zendrel-Toolbox".
QString registryDirectory(int scope);
// Downloaded packages: the "Tools" folder of the current-user registry directory.
QString toolsDirectory();

// "<generic data location>/Zendrel_Technologies_AG/Launcher-Service/resources/logs/
// launcher-service.log", where the application's About box looks for it.
QString logFile();

} // namespace zendrel::lmt::korservice::paths
