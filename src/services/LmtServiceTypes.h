#pragma once

#include "model/LmtToolInstallScope.h"
#include "shared_toolkit/ConsoleMessageType.h"

#include <QMetaType>
#include <QObject>

namespace zendrel::lmt::setup {
Q_NAMESPACE

// State of one download, install or uninstall job.
enum LmtOperationStatus {
    InProgress = 0,
    Succeeded = 1,
    Failed = 2,
    Cancelled = 3,
    Pending = 4, // initial state of an install-view row; no service emits it
};
Q_ENUM_NS(LmtOperationStatus)

// Code of every error(...) signal.
enum LmtErrorCode {
    GeneralError = 1,
    NetworkError = 2,
    AccessTokenError = 3,
    CancelledError = 4,
};
Q_ENUM_NS(LmtErrorCode)

using shared_toolkit::ConsoleMessageType;

// Registers the types that travel through queued signals. Call before the first connection.
void registerMetaTypes();

} // namespace zendrel::lmt::setup
