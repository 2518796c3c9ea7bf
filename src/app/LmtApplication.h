#pragma once

#include "app/LmtVersion.h"

#include <QDir>
#include <QString>

class QSettings;

namespace zendrel::lmt::setup {

// The four numbers of the product version, fixed at build time.
struct LmtVersionNumbers {
    qint64 major;
    qint64 minor;
    qint64 patch;
    qint64 build;
};
inline constexpr LmtVersionNumbers kProductVersionNumbers { 1, 2, 0, 787 };

// Product identity, fixed at build time.
QString productName(); // "Lumetra™ Setup"
const LmtVersion &productVersion(); // 1.2.0.787
QString applicationDisplayName(); // "Lumetra™ Setup 1.2"

// The product name without the characters Windows forbids in file names and without any
// character at or above code 127: safe as a path component. Computed once.
QString sanitizedApplicationName();
// Same rule for any text.
QString sanitizeApplicationName(const QString &name);

// The process-wide INI settings: <generic data location>/Zendrel_Technologies_AG/Lumetra/
// <sanitised application name>.ini. Created on first use; the main thread's object lives
// until process exit. Each thread gets an object of its own on that file: keep the reference
// on the thread that asked for it.
QSettings &applicationSettings();

// Gives the Qt application its identity: version text, locale, name, display name, icon and
// font. Throws std::runtime_error("Invalid version") when the numbers do not form a version;
// the version text has already been set by then.
void applicationSetup(const LmtVersionNumbers &version = kProductVersionNumbers);

// The log directory from "LmtGeneralSettings/LogDir"; an empty or vanished one is replaced by
// the temporary directory, which is written back.
QString resolveLogDirectory();

// True when path is an existing directory in which a file can be created (probed with a
// temporary file that is removed again at once).
bool logDirectoryWritable(const QString &path);

// Where downloaded packages are kept: the current-user registry directory, or its "Tools"
// sub-folder when that exists; always absolute.
QDir downloadsDirectory();

// "file:///" on Windows, "file://" elsewhere.
QString fileUrlPrefix();

// The folder that holds the per-program log folders (parent of the current log's folder);
// empty while no log file is open.
QString logFolder();

} // namespace zendrel::lmt::setup
