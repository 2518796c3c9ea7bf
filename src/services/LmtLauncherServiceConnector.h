#pragma once

#include "services/ILmtLauncherServiceConnector.h"

#include <QUrl>

#include <chrono>

namespace zendrel::lmt::setup {

class ILmtDownloadManager;

// Talks to the KOR launcher service: its executable below the user's home directory (or the
// system drive), its port as printed by "-port", its localhost token API through the download
// manager, and its "-kor.service" verbs, to which the online registry URL is always passed.
class LmtLauncherServiceConnector : public ILmtLauncherServiceConnector
{
    Q_OBJECT

public:
    explicit LmtLauncherServiceConnector(
        std::shared_ptr<ILmtDownloadManager> downloadManager, QObject *parent = nullptr);

    void start() override;
    bool isStarted() const override { return m_port != 0; }
    void requestAccessToken() override;
    void revokeAccessToken() override;
    bool verifyTokenValue(const QByteArray &accessToken) override;
    std::shared_ptr<LmtProcessHandle> downloadTool(
        const QString &featureId, const QString &version) override;
    std::shared_ptr<LmtProcessHandle> downloadTool(
        std::shared_ptr<LmtToolVersion> version) override;
    std::shared_ptr<LmtProcessHandle> installTool(const QString &featureId, const QString &version,
        const QStringList &installerArgs) override;
    LmtCommandLine installCommand(const QString &featureId, const QString &version,
        const QStringList &installerArgs) const override;
    bool checkForUpdate(const QString &featureId, QString &newVersion) override;
    void updateToolDetached(
        const QString &featureId, const QString &version, const QStringList &extraArgs) override;

    // How long start() gives a freshly started service to open its port before asking for it.
    // Tests whose fake service answers at once shorten it.
    void setStartupPause(std::chrono::milliseconds pause) { m_startupPause = pause; }

    // What a token request's reply carries.
    struct TokenReply {
        QString accessToken;
        QString expiresIn;
        QString receivedAt;
    };
    // Reads the reply of the service's token request; throws std::runtime_error with the text
    // for the user when it is empty, not a JSON object or holds no token. url is only logged.
    // Pure, so it can be tried with any bytes the service might send.
    static TokenReply parseTokenReply(const QByteArray &reply, const QUrl &url);
    // The port in the output of "-port": a decimal number on a line of its own; 0 for none.
    static quint32 portFromOutput(const QString &output);

    quint32 port() const { return m_port; }
    QString launcherCli() const { return m_launcherCli; }
    bool executableFound() const { return m_executableFound; }

private:
    void discoverLauncherCli();
    void startService();
    void discoverServicePort();
    QUrl serviceUrl(const QString &path) const;
    // "installOnly" followed by the installer's (and any further) arguments.
    QStringList installArguments(
        const QString &featureId, const QString &version, const QStringList &tail) const;

    QString m_launcherCli;
    QString m_launcherCmd;
    QStringList m_launcherArgs;
    quint32 m_port = 0;
    bool m_executableFound = false;
    std::shared_ptr<ILmtDownloadManager> m_downloadManager;
    QString m_serviceDirectory;
    std::chrono::milliseconds m_startupPause { 2000 };
};

} // namespace zendrel::lmt::setup
