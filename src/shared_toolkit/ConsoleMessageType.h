#pragma once

#include <QMetaType>

namespace zendrel::lmt::shared_toolkit {

// Kind of a line shown in the log panel; carried by every appendUILog signal.
enum ConsoleMessageType {
    Normal = 0, // default colour, never classified
    Warning = 1, // amber, logged as a warning
    ErrorOutput = 2, // a process's error stream: split into lines, each a warning or an error
    Error = 3, // red, logged as critical
    Success = 4, // dark green
    Auto = 5, // classified by its content in the panel
};

} // namespace zendrel::lmt::shared_toolkit

Q_DECLARE_METATYPE(zendrel::lmt::shared_toolkit::ConsoleMessageType)
