#include "app/LmtEntry.h"

#include "app/LmtApplication.h"
#include "app/LmtHeartbeat.h"
#include "app/LmtTranslations.h"
#include "base/LmtLogLocation.h"
#include "controller/LmtSetupController.h"
#include "model/LmtCoreToolModel.h"
#include "platform/LmtPlatform.h"
#include "registry/Lmt3rdPartyRegistryParser.h"
#include "registry/LmtKorRegistryLocationProvider.h"
#include "registry/LmtLocalRegistryParser.h"
#include "registry/LmtOnlineRegistryParser.h"
#include "services/LmtDownloadManager.h"
#include "services/LmtDownloader.h"
#include "services/LmtInstaller.h"
#include "services/LmtLauncherServiceConnector.h"
#include "services/LmtLoginManager.h"
#include "services/LmtServiceTypes.h"
#include "services/LmtSetupSelfUpdater.h"
#include "services/LmtUninstaller.h"
#include "shared_toolkit/LmtTr.h"
#include "shared_toolkit/Log.h"
#include "ui/LmtMainWindow.h"
#include "views/LmtViewTypes.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>

#include <memory>
#include <stdexcept>

namespace zendrel::lmt::setup {

namespace {

// The translation context of the start-up texts.
class LmtEntry
{
    LMT_TR_CONTEXT(LmtEntry)
};

// Everything after the application object: identity, settings, log, services, window and event
// loop; any of it may throw. The objects live in this scope, so they are torn down (window
// first) before the caller shows any failure.
int buildAndRun()
{
    applicationSetup();
    // The settings path is derived from the application name: keep it free of characters
    // that are not safe in a file name.
    QCoreApplication::setApplicationName(sanitizedApplicationName());

    const QString logDirectory = resolveLogDirectory();
    const QString baseName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    shared_toolkit::initLog(logDirectory, baseName, true);

    // Queued connections between the threads need the shared types known to Qt first.
    registerMetaTypes();
    registerViewMetaTypes();

    // The controller owns every service; the window goes before it.
    auto controller = createSetupController();

    auto window = std::make_unique<LmtMainWindow>(controller);
    window->init();
    window->show();
    std::unique_ptr<LmtHeartbeat> heartbeat(LmtHeartbeat::startFromEnvironment(nullptr));
    return QApplication::exec();
}

} // namespace

std::shared_ptr<LmtSetupController> createSetupController()
{
    // The services, in the order in which they depend on each other.
    auto coreToolModel = std::make_shared<LmtCoreToolModel>();
    auto downloadManager = std::make_shared<LmtDownloadManager>();
    auto connector = std::make_shared<LmtLauncherServiceConnector>(downloadManager);
    auto loginManager = std::make_shared<LmtLoginManager>(connector);
    auto localParser = std::make_shared<LmtLocalRegistryParser>(
        coreToolModel, std::make_unique<LmtKorRegistryLocationProvider>());
    auto onlineParser = std::make_shared<LmtOnlineRegistryParser>(downloadManager, coreToolModel);
    auto thirdPartyParser = std::make_shared<Lmt3rdPartyRegistryParser>(coreToolModel);
    auto downloader = std::make_shared<LmtDownloader>(connector, coreToolModel);
    auto installer = std::make_shared<LmtInstaller>(connector, coreToolModel);
    auto uninstaller = std::make_shared<LmtUninstaller>(coreToolModel);
    auto selfUpdater = std::make_shared<LmtSetupSelfUpdater>(connector, localParser);
    return std::make_shared<LmtSetupController>(coreToolModel, downloadManager, connector,
        loginManager, localParser, onlineParser, thirdPartyParser, downloader, installer,
        uninstaller, selfUpdater);
}

QString startupFailureText(std::exception_ptr failure)
{
    if (!failure)
        return {};
    try {
        std::rethrow_exception(failure);
    } catch (const char *text) {
        return QString::fromUtf8(text);
    } catch (const QString &text) {
        return text;
    } catch (const std::runtime_error &e) {
        return LmtEntry::trLog("Runtime error: %1").arg(QString::fromUtf8(e.what()));
    } catch (const std::exception &e) {
        return LmtEntry::trLog("Exception: %1").arg(QString::fromUtf8(e.what()));
    } catch (...) {
        return LmtEntry::trLog("An unknown exception occurred");
    }
}

int runSetupApplication(int argc, char **argv)
{
    int exitCode = 1;
    platform::returnFreedMemoryPromptly();
    QApplication application(argc, argv);
    const LmtTranslations translations(QLocale::system(), LmtTranslations::besideProgram());
    std::exception_ptr failure;
    try {
        exitCode = buildAndRun();
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure) {
        const QString text = startupFailureText(failure);
        qCCritical(lmtLocal).noquote() << text;
        QMessageBox::critical(nullptr, QGuiApplication::applicationDisplayName(),
            shared_toolkit::shownText(text), QMessageBox::Ok);
    }
    return exitCode;
}

} // namespace zendrel::lmt::setup
