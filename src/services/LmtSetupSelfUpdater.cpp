#include "services/LmtSetupSelfUpdater.h"

#include "base/LmtSettings.h"
#include "services/ILmtLauncherServiceConnector.h"
#include "services/ILmtSetupInstallation.h"
#include "services/LmtProcessHandle.h"
#include "shared_toolkit/Log.h"

#include <QCoreApplication>
#include <QSettings>

#include <exception>

namespace zendrel::lmt::setup {

namespace {

constexpr auto Tag = "[LmtSetupSelfUpdater]";
const QString SettingsGroup = QStringLiteral("LmtSetupSelfUpdater");
const QString CheckForUpdatesKey = QStringLiteral("CheckForUpdates");

} // namespace

const QString LmtSetupSelfUpdater::SetupFeatureId = QStringLiteral("com.zdr.tb.tool.lumetrasetup");

LmtSetupSelfUpdater::LmtSetupSelfUpdater(std::shared_ptr<ILmtLauncherServiceConnector> connector,
    std::shared_ptr<const ILmtSetupInstallation> installation, QObject *parent)
    : ILmtSetupSelfUpdater(parent)
    , m_connector(std::move(connector))
    , m_installation(std::move(installation))
{
}

LmtSetupSelfUpdater::~LmtSetupSelfUpdater()
{
    // The completion handler must not run on a half-destroyed updater while the handle waits
    // for a download that is still going.
    if (m_downloadHandle)
        m_downloadHandle->disconnect(this);
}

bool LmtSetupSelfUpdater::checkForUpdatesEnabled()
{
    QSettings &settings = applicationSettings();
    settings.beginGroup(SettingsGroup);
    const bool enabled = settings.value(CheckForUpdatesKey, true).toBool();
    settings.endGroup();
    return enabled;
}

void LmtSetupSelfUpdater::setCheckForUpdatesEnabled(bool enabled)
{
    QSettings &settings = applicationSettings();
    settings.beginGroup(SettingsGroup);
    settings.setValue(CheckForUpdatesKey, enabled);
    settings.endGroup();
}

bool LmtSetupSelfUpdater::checkForUpdate()
{
    qCInfo(lmtLocal).noquote() << Tag << "checkForUpdate() requested";
    if (!m_connector->isStarted())
        m_connector->start();
    QString newVersion;
    const bool available = m_connector->checkForUpdate(SetupFeatureId, newVersion);
    if (available) {
        m_newVersion = newVersion;
        Q_EMIT appendUILog(trLog("Found new Lumetra™ Setup version: %1").arg(m_newVersion));
        Q_EMIT updateAvailable(m_newVersion);
    } else {
        Q_EMIT appendUILog(trLog("You are using the latest version of Lumetra™ Setup."));
    }
    return available;
}

void LmtSetupSelfUpdater::startDownloadUpdate()
{
    qCInfo(lmtLocal).noquote() << Tag << "startDownloadUpdate() requested";
    if (m_state == Downloading) {
        Q_EMIT appendUILog(trLog("Update download is already started"));
        return;
    }
    m_state = Downloading;
    try {
        m_downloadHandle = m_connector->downloadTool(SetupFeatureId, m_newVersion);
        // Direct: the handle reports on the thread that asked for the download (the
        // controller's), which is where the state is written anyway.
        connect(m_downloadHandle.get(), &LmtProcessHandle::finished, this,
            &LmtSetupSelfUpdater::onDownloadFinished, Qt::DirectConnection);
        Q_EMIT appendUILog(trLog("Downloading Lumetra™ Setup update: %1").arg(m_newVersion));
    } catch (const std::exception &e) {
        // The state stays "downloading": a failed start is not retried behind the user's back.
        Q_EMIT error(GeneralError, trLog("Error: %1").arg(QString::fromUtf8(e.what())));
    }
}

void LmtSetupSelfUpdater::onDownloadFinished(bool success, const QString &errorStr)
{
    if (success) {
        m_state = Downloaded;
        Q_EMIT appendUILog(
            trLog("Lumetra™ Setup update is downloaded. It will be installed once the "
                  "application is closed."));
    } else {
        m_state = Idle;
        Q_EMIT error(
            GeneralError, trLog("Failed to download Lumetra™ Setup update: '%1'").arg(errorStr));
    }
}

void LmtSetupSelfUpdater::startToInstallUpdate()
{
    qCInfo(lmtLocal).noquote() << Tag << "startToInstallUpdate() requested";
    const bool allUsers = m_installation
        && m_installation->setupInstallScope() == int(LmtToolInstallScope::AllUsers);
    const QStringList arguments { QStringLiteral("--"),
        allUsers ? QStringLiteral("/allusers") : QStringLiteral("/currentuser"),
        QStringLiteral("/dir=%1").arg(QCoreApplication::applicationDirPath()) };
    qCInfo(lmtLocal).noquote() << Tag << "Self updating with extra launcher arguments:"
                               << arguments.join(QLatin1Char(' '));
    m_connector->updateToolDetached(SetupFeatureId, m_newVersion, arguments);
    Q_EMIT appendUILog(trLog("Starting update of the Lumetra™ Setup"));
}

bool LmtSetupSelfUpdater::isUpdateStarted() const
{
    const int state = m_state;
    return state == Downloading || state == Downloaded;
}

bool LmtSetupSelfUpdater::isUpdateDownloaded() const
{
    return m_state == Downloaded;
}

} // namespace zendrel::lmt::setup
