#pragma once

#include "services/LmtServiceTypes.h"

#include <QObject>
#include <QString>

namespace zendrel::lmt::setup {

// Finds, downloads and (when the application closes) installs a newer Lumetra Setup.
class ILmtSetupSelfUpdater : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~ILmtSetupSelfUpdater() override = default;

    // True when the launcher service offers a newer version; connector failures propagate.
    virtual bool checkForUpdate() = 0;
    virtual void startDownloadUpdate() = 0;
    // Starts the detached installation that replaces this program after it exits.
    virtual void startToInstallUpdate() = 0;
    virtual bool isUpdateStarted() const = 0;
    virtual bool isUpdateDownloaded() const = 0;

Q_SIGNALS:
    void error(LmtErrorCode errorCode, QString message);
    void appendUILog(QString text, ConsoleMessageType type = ConsoleMessageType::Auto);
    void updateAvailable(QString toVersion);
};

} // namespace zendrel::lmt::setup
