#pragma once

#include "model/LmtToolVersion.h"
#include "services/ILmtLauncherServiceConnector.h"

#include <QList>
#include <QMap>
#include <QMutex>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>
#include <tuple>

namespace lmttest {

// Stands in for the launcher service connector. Downloads and installations are real short
// shell scripts ("/bin/sh -c <script>") started as LmtProcessHandles on the calling thread, so
// worker threads, queued signals and process ends are the real ones. Every call is recorded
// with the thread it came from; thread-safe, since the job workers call it concurrently.
// No Q_OBJECT: it adds no signals or slots of its own.
class FakeConnector : public zendrel::lmt::setup::ILmtLauncherServiceConnector
{
public:
    struct Call {
        // "start", "download", "install", "checkForUpdate", "updateDetached", ...
        QString operation;
        QString featureId;
        QString version;
        QStringList arguments; // installer or extra arguments
        QThread *thread = nullptr;
    };
    // The shell script run for featureId:version. A null QByteArray makes the start fail with
    // "process failed to start", like a launcher that cannot be run. Install scripts see the
    // launcher's arguments as "$1"..., "$0" being "kor-launcher-service".
    using Script = std::function<QByteArray(const QString &featureId, const QString &version)>;

    void setDownloadScript(Script script)
    {
        locked([&] { m_downloadScript = std::move(script); });
    }
    void setInstallScript(Script script)
    {
        locked([&] { m_installScript = std::move(script); });
    }
    // What checkForUpdate() answers; with a failure text it throws that text instead.
    void setUpdateCheck(
        bool available, const QString &newVersion = QString(), const QString &failure = QString())
    {
        locked([&] {
            std::tie(m_updateAvailable, m_newVersion, m_updateFailure)
                = std::tie(available, newVersion, failure);
        });
    }
    void setStarted(bool started) { m_started = started; }
    // Runs at every start() before it succeeds; may throw like the real connector.
    void setStartBehaviour(std::function<void()> behaviour)
    {
        locked([&] { m_startBehaviour = std::move(behaviour); });
    }
    // What verifyTokenValue() answers (false unless set); may throw.
    void setTokenCheck(std::function<bool()> check)
    {
        locked([&] { m_tokenCheck = std::move(check); });
    }

    QList<Call> calls() const
    {
        return locked([this] { return m_calls; });
    }
    QList<Call> calls(const QString &operation) const;
    // The most processes of one operation ("download", "install") that ran at the same time.
    int maxConcurrent(const QString &operation) const
    {
        return locked([&] { return m_maxRunning.value(operation); });
    }
    // How many processes of one operation have not reported their end yet.
    int running(const QString &operation) const
    {
        return locked([&] { return m_running.value(operation); });
    }

    void start() override;
    bool isStarted() const override { return m_started; }
    void requestAccessToken() override { record(QStringLiteral("requestAccessToken")); }
    void revokeAccessToken() override { record(QStringLiteral("revokeAccessToken")); }
    bool verifyTokenValue(const QByteArray &accessToken) override;
    std::shared_ptr<zendrel::lmt::setup::LmtProcessHandle> downloadTool(
        const QString &featureId, const QString &version) override;
    std::shared_ptr<zendrel::lmt::setup::LmtProcessHandle> downloadTool(
        std::shared_ptr<zendrel::lmt::setup::LmtToolVersion> version) override
    {
        return downloadTool(version->featureId(), version->version());
    }
    std::shared_ptr<zendrel::lmt::setup::LmtProcessHandle> installTool(const QString &featureId,
        const QString &version, const QStringList &installerArgs) override;
    zendrel::lmt::setup::LmtCommandLine installCommand(const QString &featureId,
        const QString &version, const QStringList &installerArgs) const override
    {
        return command("installOnly", featureId, version, installerArgs);
    }
    bool checkForUpdate(const QString &featureId, QString &newVersion) override;
    void updateToolDetached(
        const QString &featureId, const QString &version, const QStringList &extraArgs) override
    {
        record(QStringLiteral("updateDetached"), featureId, version, extraArgs);
    }

private:
    template<typename F>
    auto locked(F f) const -> decltype(f())
    {
        QMutexLocker lock(&m_mutex);
        return f();
    }
    void record(const QString &operation, const QString &featureId = QString(),
        const QString &version = QString(), const QStringList &arguments = QStringList())
    {
        locked([&] {
            m_calls << Call { operation, featureId, version, arguments, QThread::currentThread() };
        });
    }
    // featureId:version's script as the launcher would run the verb ("downloadOnly", ...).
    zendrel::lmt::setup::LmtCommandLine command(const QString &verb, const QString &featureId,
        const QString &version, const QStringList &extraArguments = {}) const;
    std::shared_ptr<zendrel::lmt::setup::LmtProcessHandle> run(
        const QString &operation, const zendrel::lmt::setup::LmtCommandLine &command);

    mutable QMutex m_mutex;
    QList<Call> m_calls;
    Script m_downloadScript = [](const QString &, const QString &) { return "exit 0"; };
    Script m_installScript = m_downloadScript;
    std::function<void()> m_startBehaviour;
    std::function<bool()> m_tokenCheck;
    QMap<QString, int> m_running;
    QMap<QString, int> m_maxRunning;
    bool m_updateAvailable = false;
    QString m_newVersion;
    QString m_updateFailure;
    std::atomic<bool> m_started { true };
};

} // namespace lmttest
