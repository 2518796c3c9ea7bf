// Times the online registry parse of a large generated registry, and of the demo catalogue
// when one is present. Run: build/bench/bench_registry [demo-folder]
#include "BenchRegistry.h"
#include "model/LmtCoreToolModel.h"
#include "model/LmtTool.h"
#include "registry/LmtOnlineRegistryParser.h"
#include "shared_toolkit/Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

using namespace zendrel::lmt::setup;
using bench::CannedDownloadManager;
using bench::generatedRegistry;

namespace {

// CPU time of this thread in milliseconds: less disturbed than wall time on a busy machine.
double threadCpuMs()
{
    rusage usage {};
    getrusage(RUSAGE_THREAD, &usage);
    const auto ms = [](const timeval &t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Parses body three times and prints the best wall and CPU times with the size of the result.
void timeParse(const char *label, const QByteArray &body)
{
    qint64 bestWall = -1;
    double bestCpu = -1;
    int tools = 0;
    int versions = 0;
    for (int round = 0; round < 3; ++round) {
        auto model = std::make_shared<LmtCoreToolModel>();
        LmtOnlineRegistryParser parser(std::make_shared<CannedDownloadManager>(body), model);
        QElapsedTimer timer;
        timer.start();
        const double cpuStart = threadCpuMs();
        parser.parse();
        const double cpu = threadCpuMs() - cpuStart;
        const qint64 wall = timer.elapsed();
        bestWall = bestWall < 0 ? wall : qMin(bestWall, wall);
        bestCpu = bestCpu < 0 ? cpu : qMin(bestCpu, cpu);
        tools = model->tools().size();
        versions = 0;
        for (const auto &tool : model->tools())
            versions += tool->allVersions().size();
    }
    std::printf(
        "%-26s %9lld bytes %5d tools %6d versions  best of 3: %6lld ms wall, %6.0f ms CPU\n", label,
        static_cast<long long>(body.size()), tools, versions, static_cast<long long>(bestWall),
        bestCpu);
}

} // namespace

int main(int argc, char **argv)
{
    // Keep the benchmark's settings and log away from the user's own.
    QTemporaryDir sandbox;
    qputenv("XDG_DATA_HOME", QFile::encodeName(sandbox.path()));
    QCoreApplication app(argc, argv);
    // Lines go to a log file as in the program; without it they would go to the terminal.
    zendrel::lmt::shared_toolkit::initLog(sandbox.path(), "bench_registry", false);

    const QByteArray large = generatedRegistry(1000, 20);
    const double jsonStart = threadCpuMs();
    QJsonDocument::fromJson(large);
    std::printf("(reading the JSON text alone: %.0f ms CPU)\n", threadCpuMs() - jsonStart);
    timeParse("generated 1000 x 20", large);
    // The same without the info lines, to tell the parser's own share from the log's.
    QLoggingCategory::setFilterRules("LOCAL.info=false");
    timeParse("  same, info lines off", large);
    QLoggingCategory::setFilterRules(QString());

    const QString demoFolder = argc > 1
        ? QString::fromLocal8Bit(argv[1])
        : QFileInfo(QString::fromUtf8(__FILE__)).absolutePath() + "/../resources/demo";
    bool demoFound = false;
    QDirIterator files(demoFolder, { "*.json" }, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile in(files.next());
        if (!in.open(QIODevice::ReadOnly))
            continue;
        const QByteArray body = in.readAll();
        const QJsonDocument document = QJsonDocument::fromJson(body);
        if (!document.isArray() || !document.array().at(0).toObject().contains("featureId"))
            continue; // not a registry document
        demoFound = true;
        timeParse(qPrintable("demo " + QDir(demoFolder).relativeFilePath(in.fileName())), body);
    }
    if (!demoFound)
        std::printf("no demo registry (JSON array) found in %s\n", qPrintable(demoFolder));
    return 0;
}
