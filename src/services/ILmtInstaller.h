#pragma once

#include "services/LmtServiceTypes.h"

#include <QObject>
#include <QString>

namespace zendrel::lmt::setup {

// Installs downloaded packages one after another through the launcher service.
class ILmtInstaller : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~ILmtInstaller() override = default;

    // Throws std::runtime_error when already running.
    virtual void start() = 0;
    virtual void stop() = 0;
    // Only used where installs for all users go through sudo.
    virtual void setAdminPassword(const QString &password) = 0;
    // True when a pending installation needs administrator rights this process does not have.
    virtual bool needsElevatedPrivileges() = 0;

public Q_SLOTS:
    virtual void onDownloadFinished(
        zendrel::lmt::setup::LmtOperationStatus status, QString featureId, QString version)
        = 0;

Q_SIGNALS:
    void installStatus(LmtOperationStatus status, QString featureId, QString version);
    void error(LmtErrorCode errorCode, QString message);
    void appendUILog(QString text, ConsoleMessageType type = ConsoleMessageType::Auto);
};

} // namespace zendrel::lmt::setup
