#pragma once

#include "services/LmtServiceTypes.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>

namespace zendrel::lmt::setup {

class LmtToolVersion;

// Has the launcher service download packages, several at a time, and hands the successfully
// downloaded ones to the installer together, in the order they were given.
class ILmtDownloader : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~ILmtDownloader() override = default;

    // Throws std::runtime_error when a run is already going on.
    virtual void start(const QList<std::shared_ptr<LmtToolVersion>> &versions) = 0;
    virtual void stop() = 0;

Q_SIGNALS:
    void downloadProgress(float progress, QString featureId, QString version);
    void downloadStatus(LmtOperationStatus status, QString featureId, QString version);
    void installToolRequest(LmtOperationStatus status, QString featureId, QString version);
    void error(LmtErrorCode errorCode, QString message);
    void appendUILog(QString text, ConsoleMessageType type = ConsoleMessageType::Auto);
};

} // namespace zendrel::lmt::setup
