#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

class QProcess;
class QByteArray;

// Everything that differs between Windows and the POSIX systems goes through here, so the
// rest of the program reads the same on every platform.
namespace zendrel::lmt::platform {

// "Windows", "Linux" or "macOS": the name the registries use for package entries.
QString osName();

// The member name of per-platform attributes in registry documents: osName() in lower case.
QString platformKey();

// Reads an environment variable by its Windows name. On POSIX systems the Windows-only
// variables fall back to their nearest equivalent (LOCALAPPDATA -> XDG data home,
// ALLUSERSPROFILE -> /usr/local/share, USERNAME -> USER, USERPROFILE -> HOME,
// SYSTEMDRIVE -> empty). A variable that is explicitly set always wins.
QString environmentVariable(const QString &name);

// The Windows system drive from "SystemDrive" ("C:" when unset). Empty elsewhere unless the
// variable is set, so that paths built on it start at the root directory.
QString systemDrive();

// ".exe" on Windows, empty elsewhere.
QString executableSuffix();

// "file:///" on Windows (drive letters follow), "file://" elsewhere (paths start with '/').
QString fileUrlPrefix();

// Makes the process start in a process group of its own so that it can later be asked to
// quit together with its children (see sendQuitSignal). Call before QProcess::start().
void startInOwnProcessGroup(QProcess &process);

// Undoes startInOwnProcessGroup: the process starts in the caller's process group again.
void startInCallersProcessGroup(QProcess &process);

// Asks the process group led by pid to quit: SIGINT on POSIX, CTRL_BREAK_EVENT on Windows.
bool sendQuitSignal(qint64 pid);

// Kills every process of the group led by pid at once (SIGKILL). Returns false where that is
// not possible (Windows, or pid leads no group); the caller then kills the direct child only.
bool killProcessGroup(qint64 pid);

// Ends the process with that id (SIGTERM on POSIX, TerminateProcess on Windows). For
// processes that are not our children and may not lead a process group of their own.
bool terminateProcess(qint64 pid);

// Writes one already formatted line to standard error (UTF-8 on POSIX, UTF-16 mode on Windows).
void writeConsoleEcho(const QString &line);

// Whether a directory can be listed and the files in it opened. Missing when nothing is there
// (or a file is), Readable when both work; otherwise Unreadable, with the system's reason in
// *reason. QDir reports an unlistable directory as an empty one, which would hide its files.
enum class DirectoryAccess { Missing, Readable, Unreadable };
DirectoryAccess directoryAccess(const QString &path, QString *reason);
// True when the process runs with administrator (root) rights.
bool isElevated();
// True where all-users installs get their rights through sudo. On Windows the package
// installers elevate themselves, so the program never asks for a password there.
bool elevatesThroughSudo();

// Makes the C library hand freed memory back to the system soon. A refresh frees a
// catalogue's worth of small blocks and large buffers at once; by default the GNU C library
// then raises its thresholds and keeps them, so the next catalogue piles up on top. Call once,
// before the first thread starts. Nothing to do on other systems.
void returnFreedMemoryPromptly();

// Reads a value from the Windows registry ("HKEY_LOCAL_MACHINE\\..." key, value name).
// Always invalid on other platforms, where tools are found by directory instead.
QVariant readRegistryValue(const QString &key, const QString &valueName);

// The names of the sub-keys of a Windows registry key. Always empty on other platforms.
QStringList registryChildKeys(const QString &key);

} // namespace zendrel::lmt::platform
