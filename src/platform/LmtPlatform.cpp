#include "platform/LmtPlatform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QtGlobal>

#include <cstdio>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <dirent.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <sys/types.h>
#include <unistd.h>
#endif

namespace zendrel::lmt::platform {

QString osName()
{
#if defined(Q_OS_WIN)
    return QStringLiteral("Windows");
#elif defined(Q_OS_MACOS)
    return QStringLiteral("macOS");
#else
    return QStringLiteral("Linux");
#endif
}

QString platformKey()
{
    return osName().toLower();
}

QString environmentVariable(const QString &name)
{
    const QByteArray key = name.toLocal8Bit();
    if (qEnvironmentVariableIsSet(key.constData()))
        return qEnvironmentVariable(key.constData());
#ifdef Q_OS_WIN
    return {};
#else
    const QString upper = name.toUpper();
    if (upper == QLatin1String("LOCALAPPDATA")) {
        const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
        return xdg.isEmpty() ? QDir::homePath() + QStringLiteral("/.local/share") : xdg;
    }
    if (upper == QLatin1String("ALLUSERSPROFILE"))
        return QStringLiteral("/usr/local/share");
    if (upper == QLatin1String("USERNAME"))
        return qEnvironmentVariable("USER");
    if (upper == QLatin1String("USERPROFILE"))
        return qEnvironmentVariable("HOME", QDir::homePath());
    return {};
#endif
}

QString systemDrive()
{
    const QString drive = environmentVariable(QStringLiteral("SystemDrive"));
#ifdef Q_OS_WIN
    if (drive.isEmpty())
        return QStringLiteral("C:");
#endif
    return drive;
}

QString executableSuffix()
{
#ifdef Q_OS_WIN
    return QStringLiteral(".exe");
#else
    return {};
#endif
}

QString fileUrlPrefix()
{
    QString prefix = QStringLiteral("file://");
#ifdef Q_OS_WIN
    prefix.replace(QStringLiteral("file://"), QStringLiteral("file:///"));
#endif
    return prefix;
}

void startInOwnProcessGroup(QProcess &process)
{
#ifdef Q_OS_WIN
    process.setCreateProcessArgumentsModifier(
        [](QProcess::CreateProcessArguments *args) { args->flags |= CREATE_NEW_PROCESS_GROUP; });
#else
    // A program started with "&" from a script inherits SIGINT ignored, and so would the group;
    // the quit signal must reach it however this program was started.
    process.setChildProcessModifier([] {
        ::setpgid(0, 0);
        ::signal(SIGINT, SIG_DFL);
    });
#endif
}

void startInCallersProcessGroup(QProcess &process)
{
#ifdef Q_OS_WIN
    process.setCreateProcessArgumentsModifier({});
#else
    process.setChildProcessModifier({});
#endif
}

bool sendQuitSignal(qint64 pid)
{
    if (pid <= 0)
        return false;
#ifdef Q_OS_WIN
    return GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, static_cast<DWORD>(pid)) != 0;
#else
    return ::kill(-static_cast<pid_t>(pid), SIGINT) == 0;
#endif
}

bool killProcessGroup(qint64 pid)
{
    if (pid <= 0)
        return false;
#ifdef Q_OS_WIN
    return false;
#else
    return ::kill(-static_cast<pid_t>(pid), SIGKILL) == 0;
#endif
}

bool terminateProcess(qint64 pid)
{
    if (pid <= 0)
        return false;
#ifdef Q_OS_WIN
    HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(pid));
    if (!process)
        return false;
    const bool ok = TerminateProcess(process, 1) != 0;
    CloseHandle(process);
    return ok;
#else
    return ::kill(static_cast<pid_t>(pid), SIGTERM) == 0;
#endif
}

void writeConsoleEcho(const QString &line)
{
    std::fflush(stdout);
    std::fflush(stderr);
#ifdef Q_OS_WIN
    const int previous = _setmode(_fileno(stderr), _O_U16TEXT);
    std::fputws(reinterpret_cast<const wchar_t *>(line.utf16()), stderr);
    std::fflush(stderr);
    if (previous != -1 && previous != _O_U16TEXT)
        _setmode(_fileno(stderr), previous);
#else
    const QByteArray utf8 = line.toUtf8();
    std::fwrite(utf8.constData(), 1, static_cast<size_t>(utf8.size()), stderr);
    std::fflush(stderr);
#endif
}

DirectoryAccess directoryAccess(const QString &path, QString *reason)
{
#ifdef Q_OS_WIN
    const QFileInfo info(path);
    if (!info.isDir())
        return DirectoryAccess::Missing;
    if (info.isReadable())
        return DirectoryAccess::Readable;
    *reason = QStringLiteral("Permission denied");
    return DirectoryAccess::Unreadable;
#else
    const QByteArray native = QFile::encodeName(path);
    DIR *const listing = ::opendir(native.constData());
    if (!listing) {
        const int code = errno;
        if (code == ENOENT || code == ENOTDIR)
            return DirectoryAccess::Missing;
        *reason = qt_error_string(code);
        return DirectoryAccess::Unreadable;
    }
    ::closedir(listing);
    // Listing needs the right to read; opening the files in it needs the right to search.
    if (::access(native.constData(), X_OK) != 0) {
        *reason = qt_error_string(errno);
        return DirectoryAccess::Unreadable;
    }
    return DirectoryAccess::Readable;
#endif
}

bool isElevated()
{
#ifdef Q_OS_WIN
    return false;
#else
    return ::geteuid() == 0;
#endif
}

bool elevatesThroughSudo()
{
#ifdef Q_OS_WIN
    return false;
#else
    return true;
#endif
}

QVariant readRegistryValue(const QString &key, const QString &valueName)
{
#ifdef Q_OS_WIN
    QSettings registry(key, QSettings::NativeFormat);
    return registry.value(valueName);
#else
    Q_UNUSED(key)
    Q_UNUSED(valueName)
    return {};
#endif
}

QStringList registryChildKeys(const QString &key)
{
#ifdef Q_OS_WIN
    QSettings registry(key, QSettings::NativeFormat);
    return registry.childGroups();
#else
    Q_UNUSED(key)
    return {};
#endif
}

void returnFreedMemoryPromptly()
{
#if defined(__GLIBC__)
    // A fixed threshold also stops the dynamic raising of the one for mapped blocks: large
    // buffers are then mapped and unmapped on their own instead of staying in the heap.
    constexpr int TrimThresholdBytes = 1024 * 1024;
    mallopt(M_TRIM_THRESHOLD, TrimThresholdBytes);
#endif
}

} // namespace zendrel::lmt::platform
