#pragma once

#include <QString>

namespace zendrel::lmt::setup {

// The base name of the log files and of their folder: the executable's name without extension.
QString logBaseName();

// Where the log of a given log directory is kept: directory + "/" + logBaseName().
QString logFolderIn(const QString &logDirectory);

// True when both paths name the same folder (symbolic links and "." / ".." resolved where the
// folders exist). Two empty paths are not the same folder.
bool isSameFolder(const QString &first, const QString &second);

// Starts a new log file in logDirectory at once (initLog). When that fails, the previous file
// is opened again for appending so that the run keeps a log, and false is returned.
bool restartLogIn(const QString &logDirectory);

// The log directory from "LmtGeneralSettings/LogDir"; an empty or vanished one is replaced by
// the temporary directory, which is written back.
QString resolveLogDirectory();

// True when path is an existing directory in which a file can be created (probed with a
// temporary file that is removed again at once).
bool logDirectoryWritable(const QString &path);

// The folder that holds the per-program log folders (parent of the current log's folder);
// empty while no log file is open.
QString logFolder();

} // namespace zendrel::lmt::setup
