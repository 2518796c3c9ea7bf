#pragma once

#include <QString>

namespace zendrel::lmt::korservice {

// What callers of the command line see. Standard output carries results only (the port,
// progress lines, the update answer), standard error the reason of a failure; everything else
// goes to the log file alone, because the application treats any text on standard error as
// an error report.

// A result line, written at once (the caller reads it while we run) and logged.
void printLine(const QString &line);
// A progress line: written at once, not logged (a download prints hundreds).
void printProgress(const QString &line);
// A failure: written to standard error and logged at critical level.
void printError(const QString &line);

} // namespace zendrel::lmt::korservice
