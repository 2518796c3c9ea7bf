#pragma once

#include "services/LmtServiceTypes.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>

namespace zendrel::lmt::setup {

class LmtLocalToolVersion;

// Runs the uninstall programs of installed versions, strictly one after another.
class ILmtUninstaller : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~ILmtUninstaller() override = default;

    // Throws std::runtime_error when already running; an empty list starts nothing.
    virtual void start(const QList<std::shared_ptr<LmtLocalToolVersion>> &versions) = 0;
    virtual void stop() = 0;

Q_SIGNALS:
    void uninstallStatus(LmtOperationStatus status, QString featureId, QString version);
    void error(LmtErrorCode errorCode, QString message);
    void appendUILog(QString text, ConsoleMessageType type = ConsoleMessageType::Auto);
};

} // namespace zendrel::lmt::setup
