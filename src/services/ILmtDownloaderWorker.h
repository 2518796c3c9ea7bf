#pragma once

#include "services/LmtServiceTypes.h"

#include <QObject>
#include <QString>

namespace zendrel::lmt::setup {

// One download slot of the downloader: has the launcher service download one package at a time
// on a thread of its own and reports its progress and end.
class ILmtDownloaderWorker : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~ILmtDownloaderWorker() override = default;

public Q_SLOTS:
    // Starts the download of featureId:version on the worker's thread.
    virtual void downloadPackage(QString featureId, QString version) = 0;
    // Kills the running download; it then reports its end as cancelled.
    virtual void onCancelRequested() = 0;

Q_SIGNALS:
    // percent is the text before "%" with a decimal point, e.g. "42.5".
    void workerOutputReady(QString percent, QString featureId, QString version);
    void error(LmtErrorCode errorCode, QString message);
    void appendUILog(QString text, ConsoleMessageType type = ConsoleMessageType::Auto);
    void downloadPackageRequest(QString featureId, QString version);
};

} // namespace zendrel::lmt::setup
