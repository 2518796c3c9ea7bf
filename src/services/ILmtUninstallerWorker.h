#pragma once

#include "services/LmtServiceTypes.h"

#include <QObject>
#include <QString>

namespace zendrel::lmt::setup {

// The thread-side half of the uninstaller: runs queued uninstall programs one at a time.
class ILmtUninstallerWorker : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~ILmtUninstallerWorker() override = default;

Q_SIGNALS:
    // Asks the worker (on its own thread) to start the next queued uninstallation.
    void uninstallPackage();
    void uninstallWorkerStatus(LmtOperationStatus status, QString featureId, QString version,
        QString errorStr = QString());
    void appendUILog(QString text, ConsoleMessageType type = ConsoleMessageType::Auto);
    void error(LmtErrorCode errorCode, QString message);
};

} // namespace zendrel::lmt::setup
