#pragma once

#include "services/LmtServiceTypes.h"

#include <QObject>
#include <QString>

namespace zendrel::lmt::setup {

// Common face of the online, local and 3rd-party registry parsers: the controller runs them
// one after another on its worker thread and forwards their progress lines to the log panel.
class ILmtRegistryParser : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~ILmtRegistryParser() override = default;

    // Reads the registry into the core tool model. Throws std::runtime_error when the registry
    // as a whole cannot be read; faults of single entries are only logged.
    virtual void parse() = 0;

Q_SIGNALS:
    void appendUILog(QString message, ConsoleMessageType type = ConsoleMessageType::Auto);
};

} // namespace zendrel::lmt::setup
