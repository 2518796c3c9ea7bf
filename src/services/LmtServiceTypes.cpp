#include "services/LmtServiceTypes.h"

namespace zendrel::lmt::setup {

void registerMetaTypes()
{
    qRegisterMetaType<LmtOperationStatus>("zendrel::lmt::setup::LmtOperationStatus");
    qRegisterMetaType<LmtErrorCode>("zendrel::lmt::setup::LmtErrorCode");
    qRegisterMetaType<LmtToolInstallScope>("zendrel::lmt::setup::LmtToolInstallScope");
    qRegisterMetaType<shared_toolkit::ConsoleMessageType>(
        "zendrel::lmt::shared_toolkit::ConsoleMessageType");
    // Signals declared inside the namespace name the types unqualified.
    qRegisterMetaType<LmtOperationStatus>("LmtOperationStatus");
    qRegisterMetaType<LmtErrorCode>("LmtErrorCode");
    qRegisterMetaType<LmtToolInstallScope>("LmtToolInstallScope");
    qRegisterMetaType<shared_toolkit::ConsoleMessageType>("ConsoleMessageType");
}

} // namespace zendrel::lmt::setup
