// Times a whole tool-list refresh through the setup controller on its own thread — online
// registry of 1,000 tools x 20 versions, 200 installed tools in the local registry, the
// 3rd-party file — and watches the GUI thread meanwhile: a 5 ms heartbeat timer records the
// longest gap between its ticks, which is how long the window would have been frozen.
// Also prints the peak resident memory of the process, and that of the refreshes alone: the
// generated registry is built as a JSON tree, which takes more than a refresh now does.
//
// Run: build/bench/bench_refresh [rounds]

#include "BenchRegistry.h"
#include "common/LmtTestSupport.h"
#include "controller/LmtSetupController.h"
#include "model/LmtCoreToolModel.h"
#include "registry/Lmt3rdPartyRegistryParser.h"
#include "registry/LmtKorRegistryLocationProvider.h"
#include "registry/LmtLocalRegistryParser.h"
#include "registry/LmtOnlineRegistryParser.h"
#include "services/LmtDownloader.h"
#include "services/LmtInstaller.h"
#include "services/LmtLauncherServiceConnector.h"
#include "services/LmtLoginManager.h"
#include "services/LmtSetupSelfUpdater.h"
#include "services/LmtUninstaller.h"
#include "shared_toolkit/Log.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <malloc.h>
#include <sys/resource.h>

using namespace zendrel::lmt::setup;

namespace {

constexpr int ToolCount = 1000;
constexpr int InstalledCount = 200;

// One installed version (the oldest offered one) of every fifth tool.
void writeLocalRegistry(const QString &directory)
{
    for (int t = 0; t < ToolCount; t += ToolCount / InstalledCount) {
        const QJsonObject entry { { "featureId", QString("com.bench.t%1").arg(t) },
            { "title", QString("Bench tool %1").arg(t) }, { "versionNumeric", t * 100 },
            { "version", QString("1.0.%1.1000").arg(t % 7) },
            { "path", directory + QString("/tool%1").arg(t) },
            { "uninstallPath", directory + QString("/tool%1/uninstall").arg(t) },
            { "attributes", QJsonObject { { "lmt-type", "tools" } } } };
        QDir().mkpath(directory + QString("/tool%1").arg(t)); // the registry checks it exists
        lmttest::writeFile(directory + QString("/tool%1.json").arg(t),
            QJsonDocument(entry).toJson(QJsonDocument::Compact));
    }
}

// CPU time of the whole process so far: less at the mercy of other load than the wall clock.
qint64 processCpuMs()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return (qint64(usage.ru_utime.tv_sec) + usage.ru_stime.tv_sec) * 1000
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

long peakResidentKiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Returns what the set-up freed to the system and starts the kernel's peak (VmHWM) afresh.
void restartPeakResident()
{
    malloc_trim(0);
    QFile clear("/proc/self/clear_refs");
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

long peakResidentSinceRestartKiB()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir sandbox;
    for (const char *variable : { "XDG_DATA_HOME", "LOCALAPPDATA", "HOME" })
        qputenv(variable, QFile::encodeName(sandbox.path()));
    qputenv("ALLUSERSPROFILE", QFile::encodeName(sandbox.filePath("all-users")));
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? qMax(1, atoi(argv[1])) : 3;
    zendrel::lmt::shared_toolkit::initLog(sandbox.path(), "bench_refresh", false);
    registerMetaTypes();

    auto locations = std::make_unique<LmtKorRegistryLocationProvider>();
    writeLocalRegistry(locations->registryDirectories()
                           .value(int(LmtToolInstallScope::CurrentUser))
                           .absolutePath());

    auto model = std::make_shared<LmtCoreToolModel>();
    auto downloadManager
        = std::make_shared<bench::CannedDownloadManager>(bench::generatedRegistry(ToolCount, 20));
    auto connector = std::make_shared<LmtLauncherServiceConnector>(downloadManager);
    auto localParser = std::make_shared<LmtLocalRegistryParser>(model, std::move(locations));
    auto thirdPartyParser = std::make_shared<Lmt3rdPartyRegistryParser>(model);
    thirdPartyParser->setApplicationDirectory(lmttest::binDir());
    LmtSetupController controller(model, downloadManager, connector,
        std::make_shared<LmtLoginManager>(connector), localParser,
        std::make_shared<LmtOnlineRegistryParser>(downloadManager, model), thirdPartyParser,
        std::make_shared<LmtDownloader>(connector, model),
        std::make_shared<LmtInstaller>(connector, model), std::make_shared<LmtUninstaller>(model),
        std::make_shared<LmtSetupSelfUpdater>(connector, localParser));

    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer heartbeat;
    heartbeat.setInterval(5);
    QObject::connect(
        &heartbeat, &QTimer::timeout, [&] { longestGap = qMax(longestGap, sinceTick.restart()); });

    restartPeakResident();
    for (int round = 0; round < rounds; ++round) {
        QEventLoop loop;
        bool success = false;
        auto done = QObject::connect(
            &controller, &LmtSetupController::toolDataChanged, &loop, [&](bool ok) {
                success = ok;
                loop.quit();
            });
        longestGap = 0;
        QElapsedTimer wall;
        wall.start();
        const qint64 cpuBefore = processCpuMs();
        sinceTick.start();
        heartbeat.start();
        controller.updateTools(true);
        loop.exec();
        heartbeat.stop();
        const qint64 cpu = processCpuMs() - cpuBefore;
        QObject::disconnect(done);
        int versions = 0;
        int installed = 0;
        for (const auto &tool : model->tools()) {
            versions += tool->allVersions().size();
            installed += tool->localVersions().size();
        }
        std::printf("refresh %d: %s, %d tools, %d versions (%d installed): %lld ms wall, %lld ms "
                    "CPU, longest GUI-thread gap %lld ms\n",
            round + 1, success ? "ok" : "FAILED", int(model->tools().size()), versions, installed,
            static_cast<long long>(wall.elapsed()), static_cast<long long>(cpu),
            static_cast<long long>(longestGap));
    }
    std::printf("peak resident memory: %ld MiB (during the refreshes: %ld MiB)\n",
        peakResidentKiB() / 1024, peakResidentSinceRestartKiB() / 1024);
    return 0;
}
