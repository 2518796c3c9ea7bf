#pragma once

#include "common/LmtFakeConnector.h"
#include "common/LmtFakeDownloadManager.h"
#include "controller/LmtSetupController.h"
#include "model/LmtCoreToolModel.h"
#include "model/LmtToolVersion.h"
#include "registry/ILmtOnlineRegistryParser.h"
#include "services/ILmtDownloader.h"
#include "services/ILmtInstaller.h"
#include "services/ILmtLoginManager.h"
#include "services/ILmtSetupSelfUpdater.h"
#include "services/ILmtUninstaller.h"
#include "services/LmtAccessToken.h"

#include <QMutex>
#include <QMutexLocker>
#include <QStringList>

#include <functional>
#include <memory>
#include <stdexcept>

// Fakes of the services the setup controller drives. Each call is written to a shared journal
// (so tests can check the order in which the controller's thread served requests) and then
// runs a behaviour the test may set, which may throw like the real service. None of them adds
// signals, so they need no Q_OBJECT; tests emit the interfaces' signals on them directly.
namespace lmttest {

class Journal
{
public:
    void add(const QString &entry)
    {
        QMutexLocker lock(&m_mutex);
        m_entries << entry;
    }
    QStringList entries() const
    {
        QMutexLocker lock(&m_mutex);
        return m_entries;
    }
    void clear()
    {
        QMutexLocker lock(&m_mutex);
        m_entries.clear();
    }

private:
    mutable QMutex m_mutex;
    QStringList m_entries;
};

using Behaviour = std::function<void()>;

// What every fake holds: the journal it writes to.
struct Journaled {
    explicit Journaled(Journal &journal)
        : m_journal(journal)
    {
    }
    // Notes the call, then runs the behaviour the test set, which may throw.
    void note(const QString &entry, const Behaviour &behaviour = {}) const
    {
        m_journal.add(entry);
        if (behaviour)
            behaviour();
    }
    Journal &m_journal;
};

class FakeRegistryParser : public zendrel::lmt::setup::ILmtOnlineRegistryParser, Journaled
{
public:
    FakeRegistryParser(Journal &journal, QString name)
        : Journaled(journal)
        , m_name(std::move(name))
    {
    }
    void parse() override { note(m_name + ".parse", onParse); }
    void setAccessToken(std::shared_ptr<zendrel::lmt::setup::LmtAccessToken> token) override
    {
        note(m_name + ".setAccessToken");
        lastToken = std::move(token);
    }

    Behaviour onParse;
    std::shared_ptr<zendrel::lmt::setup::LmtAccessToken> lastToken;

private:
    QString m_name;
};

class FakeLoginManager : public zendrel::lmt::setup::ILmtLoginManager, Journaled
{
public:
    using Journaled::Journaled;
    void startLogin() override { note("login.startLogin", onLogin); }
    void startLogout() override { note("login.startLogout"); }
    void restoreSettings() override { note("login.restoreSettings"); }
    void discardAccessToken() override
    {
        note("login.discardAccessToken");
        setToken(std::make_shared<zendrel::lmt::setup::LmtAccessToken>());
    }
    std::shared_ptr<zendrel::lmt::setup::LmtAccessToken> accessToken() const override
    {
        QMutexLocker lock(&m_mutex);
        return m_token;
    }
    void setToken(std::shared_ptr<zendrel::lmt::setup::LmtAccessToken> token)
    {
        QMutexLocker lock(&m_mutex);
        m_token = std::move(token);
    }

    Behaviour onLogin;

private:
    mutable QMutex m_mutex;
    std::shared_ptr<zendrel::lmt::setup::LmtAccessToken> m_token
        = std::make_shared<zendrel::lmt::setup::LmtAccessToken>();
};

class FakeDownloader : public zendrel::lmt::setup::ILmtDownloader, Journaled
{
public:
    using Journaled::Journaled;
    void start(const QList<std::shared_ptr<zendrel::lmt::setup::LmtToolVersion>> &versions) override
    {
        QStringList names;
        for (const auto &version : versions)
            names << version->version();
        note("downloader.start " + names.join(','), onStart);
    }
    void stop() override { note("downloader.stop"); }

    Behaviour onStart;
};

class FakeInstaller : public zendrel::lmt::setup::ILmtInstaller, Journaled
{
public:
    using Journaled::Journaled;
    void start() override { note("installer.start", onStart); }
    void stop() override { note("installer.stop"); }
    void setAdminPassword(const QString &password) override { adminPassword = password; }
    bool needsElevatedPrivileges() override { return needsElevation; }
    void onDownloadFinished(
        zendrel::lmt::setup::LmtOperationStatus, QString featureId, QString version) override
    {
        note(QStringLiteral("installer.onDownloadFinished %1:%2").arg(featureId, version));
    }

    Behaviour onStart;
    QString adminPassword;
    bool needsElevation = false;
};

class FakeUninstaller : public zendrel::lmt::setup::ILmtUninstaller, Journaled
{
public:
    using Journaled::Journaled;
    void start(
        const QList<std::shared_ptr<zendrel::lmt::setup::LmtLocalToolVersion>> &versions) override
    {
        note(QStringLiteral("uninstaller.start %1").arg(versions.size()));
    }
    void stop() override { note("uninstaller.stop"); }
};

class FakeSelfUpdater : public zendrel::lmt::setup::ILmtSetupSelfUpdater, Journaled
{
public:
    using Journaled::Journaled;
    bool checkForUpdate() override
    {
        note("selfUpdater.checkForUpdate", onCheck);
        return false;
    }
    void startDownloadUpdate() override { note("selfUpdater.startDownloadUpdate", onDownload); }
    void startToInstallUpdate() override { note("selfUpdater.startToInstallUpdate"); }
    bool isUpdateStarted() const override { return state != 0; }
    bool isUpdateDownloaded() const override { return state == 2; }

    Behaviour onCheck;
    Behaviour onDownload;
    int state = 0;
};

// One fake of every service around a real catalogue, all writing to one journal.
struct FakeServices {
    Journal journal;
    std::shared_ptr<zendrel::lmt::setup::LmtCoreToolModel> model
        = std::make_shared<zendrel::lmt::setup::LmtCoreToolModel>();
    std::shared_ptr<FakeDownloadManager> downloadManager = std::make_shared<FakeDownloadManager>();
    std::shared_ptr<FakeConnector> connector = std::make_shared<FakeConnector>();
    std::shared_ptr<FakeLoginManager> login = std::make_shared<FakeLoginManager>(journal);
    std::shared_ptr<FakeRegistryParser> local
        = std::make_shared<FakeRegistryParser>(journal, "local");
    std::shared_ptr<FakeRegistryParser> online
        = std::make_shared<FakeRegistryParser>(journal, "online");
    std::shared_ptr<FakeRegistryParser> thirdParty
        = std::make_shared<FakeRegistryParser>(journal, "thirdParty");
    std::shared_ptr<FakeDownloader> downloader = std::make_shared<FakeDownloader>(journal);
    std::shared_ptr<FakeInstaller> installer = std::make_shared<FakeInstaller>(journal);
    std::shared_ptr<FakeUninstaller> uninstaller = std::make_shared<FakeUninstaller>(journal);
    std::shared_ptr<FakeSelfUpdater> selfUpdater = std::make_shared<FakeSelfUpdater>(journal);

    // The real controller (on its own thread) driving these fakes.
    std::shared_ptr<zendrel::lmt::setup::LmtSetupController> makeController() const
    {
        return std::make_shared<zendrel::lmt::setup::LmtSetupController>(model, downloadManager,
            connector, login, local, online, thirdParty, downloader, installer, uninstaller,
            selfUpdater);
    }
};

} // namespace lmttest
