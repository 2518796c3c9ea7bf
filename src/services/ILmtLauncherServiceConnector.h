#pragma once

#include "services/LmtServiceTypes.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace zendrel::lmt::setup {

class LmtProcessHandle;
class LmtToolVersion;

// A program and the arguments to start it with.
struct LmtCommandLine {
    QString program;
    QStringList arguments;
};

// The one place that knows the KOR launcher service: where its executable lives, how to start
// it, the port of its localhost HTTP API, and its command-line verbs. Operations block the
// calling thread; failures are thrown as std::runtime_error (HTTP ones as NetworkException).
class ILmtLauncherServiceConnector : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~ILmtLauncherServiceConnector() override = default;

    // Finds, starts and connects to the service.
    virtual void start() = 0;
    // True once the port of the service is known.
    virtual bool isStarted() const = 0;
    // Signs in at the service; a token received is announced through accessTokenChanged.
    virtual void requestAccessToken() = 0;
    // Signs out at the service; an unreachable service is only logged.
    virtual void revokeAccessToken() = 0;
    // Whether the service currently holds exactly this token.
    virtual bool verifyTokenValue(const QByteArray &accessToken) = 0;
    // Starts a download of the package of featureId:version ("downloadOnly").
    virtual std::shared_ptr<LmtProcessHandle> downloadTool(
        const QString &featureId, const QString &version)
        = 0;
    // The same for the version's tool and version text.
    virtual std::shared_ptr<LmtProcessHandle> downloadTool(std::shared_ptr<LmtToolVersion> version)
        = 0;
    // Starts the installation of a downloaded package with the installer's switches.
    virtual std::shared_ptr<LmtProcessHandle> installTool(
        const QString &featureId, const QString &version, const QStringList &installerArgs)
        = 0;
    // The command line installTool() runs, without running it: installations that need
    // administrator rights are started through sudo with this command line.
    virtual LmtCommandLine installCommand(const QString &featureId, const QString &version,
        const QStringList &installerArgs) const = 0;
    // True with newVersion set when the service offers a newer version of featureId.
    virtual bool checkForUpdate(const QString &featureId, QString &newVersion) = 0;
    // Starts an installation that outlives this program (used to replace it on exit).
    virtual void updateToolDetached(
        const QString &featureId, const QString &version, const QStringList &extraArgs)
        = 0;

Q_SIGNALS:
    void accessTokenChanged(QByteArray accessToken, QString expiresIn, QString receivedAt);
    void appendUILog(QString text, ConsoleMessageType type = ConsoleMessageType::Auto);
};

} // namespace zendrel::lmt::setup
