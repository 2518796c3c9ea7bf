#pragma once

#include "services/ILmtLauncherServiceConnector.h"
#include "shared_toolkit/LmtTr.h"

#include <QMutex>
#include <QUrl>

#include <atomic>
#include <chrono>
#include <exception>

namespace zendrel::lmt::setup {

class ILmtDownloadManager;

// Talks to the KOR launcher service: its executable below the user's home directory (or the
// system drive), its port as printed by "-port", its localhost token API through the download
// manager, and its "-kor.service" verbs, to which the online registry URL is always passed.
class LmtLauncherServiceConnector : public ILmtLauncherServiceConnector
{
    Q_OBJECT
    LMT_TR_CONTEXT(LmtLauncherServiceConnector)

public:
    explicit LmtLauncherServiceConnector(
        std::shared_ptr<ILmtDownloadManager> downloadManager, QObject *parent = nullptr);

    // Serialised: while one start runs, a second start() waits for it and then starts again.
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
    QString launcherCli() const;
    bool executableFound() const;

private:
    // Starts the service unless it runs. The download workers get here on their own threads
    // at once when the service did not start with the application: one of them starts it, the
    // others wait for that start and share its outcome, failure included.
    void startIfNeeded();
    // The steps of start(); call with m_startMutex held.
    void startLocked();
    void discoverLauncherCli();
    void startService();
    void discoverServicePort();
    QUrl serviceUrl(const QString &path) const;
    // "installOnly" followed by the installer's (and any further) arguments.
    QStringList installArguments(
        const QString &featureId, const QString &version, const QStringList &tail) const;

    // Held for a whole start: one start at a time. Guards the failure below; the count is
    // written under it and read before it is taken, to see whether a start ended meanwhile.
    QMutex m_startMutex;
    std::atomic<quint64> m_startsEnded { 0 };
    std::exception_ptr m_lastStartFailure;

    // The discovered executable, read by the job workers' threads while a start may write it.
    mutable QMutex m_stateMutex;
    // Both runs the verbs and starts the service itself, which takes no arguments.
    QString m_launcherCli;
    bool m_executableFound = false;
    QString m_serviceDirectory;

    std::atomic<quint32> m_port { 0 };
    std::shared_ptr<ILmtDownloadManager> m_downloadManager;
    std::chrono::milliseconds m_startupPause { 2000 };
};

} // namespace zendrel::lmt::setup
