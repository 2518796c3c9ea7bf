// Times the catalogue queries on a catalogue far larger than any real one: 1,000 tools with
// 20 versions each, dependencies between the tools and 500 selected versions.
//
// Run: build/bench/bench_model [repetitions]

#include "model/LmtCoreToolModel.h"
#include "model/LmtInstallOrder.h"
#include "model/LmtLocalToolVersion.h"
#include "model/LmtOnlineToolVersion.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <vector>

using namespace zendrel::lmt::setup;

namespace {

constexpr int toolCount = 1000;
constexpr int selectedTools = 500;

quint64 numericOf(int major, int minor, int patch)
{
    return quint64(major) * 1000000u + quint64(minor) * 1000u + quint64(patch);
}

QString textOf(int major, int minor, int patch)
{
    return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(patch);
}

// Tool i has the offered lines i.0 and i.1 (patches 0 to 6) and six installations; it
// depends on the tools i+1 and i+3, so key order puts every dependent before its dependency
// and the install order needs the most placing passes.
std::shared_ptr<LmtCoreToolModel> buildCatalogue()
{
    static const LmtToolType types[] = { LmtToolType::ToolsPackage, LmtToolType::Patch,
        LmtToolType::ContentPack, LmtToolType::External, LmtToolType::Other };
    auto model = std::make_shared<LmtCoreToolModel>();
    for (int i = 0; i < toolCount; ++i) {
        const auto tool = LmtTool::create(QStringLiteral("com.bench.tool%1").arg(i), types[i % 5],
            QStringLiteral("Tool %1").arg(i));
        model->addTool(tool);
        for (int minor = 0; minor < 2; ++minor) {
            for (int patch = 0; patch < 7; ++patch) {
                auto version = LmtOnlineToolVersion::create(
                    textOf(i, minor, patch), numericOf(i, minor, patch), i * 100 + patch);
                tool->addVersion(version);
                for (int offset : { 1, 3 }) {
                    if (i + offset < toolCount) {
                        version->addDependency(QStringLiteral("com.bench.tool%1").arg(i + offset),
                            numericOf(i + offset, 0, 0), LmtToolDependency::Unbounded);
                    }
                }
            }
        }
        for (const auto &[minor, patch] :
            { std::pair(0, 3), std::pair(0, 5), std::pair(1, 1), std::pair(1, 2) }) {
            tool->addVersion(
                LmtLocalToolVersion::create(textOf(i, minor, patch), numericOf(i, minor, patch)));
        }
        for (int patch = 0; patch < 2; ++patch) {
            auto old = LmtLocalToolVersion::create(textOf(i == 0 ? 0 : i - 1, 9, patch), 0);
            old->setInstallScope(LmtToolInstallScope::AllUsers);
            tool->addVersion(old);
        }
    }

    // 500 selected offered versions (updates of an installation), 500 removals.
    for (int i = 0; i < toolCount; ++i) {
        const auto tool = model->tools().at(i);
        if (i < selectedTools) {
            tool->findOnlineVersion(textOf(i, 0, 6))->setSelected(true);
            tool->findLocalVersion(textOf(i, 0, 3))->setSelected(false);
        } else {
            tool->localVersions().last()->setSelected(false);
        }
    }
    return model;
}

struct Timing {
    double best = 1e300;
    double total = 0;
};

Timing measure(int repetitions, const std::function<qsizetype()> &work, qsizetype &size)
{
    Timing timing;
    for (int run = 0; run < repetitions; ++run) {
        QElapsedTimer timer;
        timer.start();
        size = work();
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        timing.best = std::min(timing.best, ms);
        timing.total += ms;
    }
    return timing;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // The catalogue logs every tool, version and selection; keep the measurement quiet.
    QLoggingCategory::setFilterRules(QStringLiteral("LOCAL.info=false\nLOCAL.debug=false"));
    const int repetitions = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTextStream out(stdout);

    QElapsedTimer buildTimer;
    buildTimer.start();
    const auto model = buildCatalogue();
    out << "catalogue: " << toolCount << " tools x 20 versions, built in " << buildTimer.elapsed()
        << " ms\n";

    const LmtToolVersionList selected = model->updateVersions() + model->newInstallVersions();

    const std::vector<std::pair<const char *, std::function<qsizetype()>>> cases {
        { "versionGroups (all tools)",
            [&] {
                qsizetype heads = 0;
                for (const auto &tool : model->tools())
                    heads += tool->versionGroups().size();
                return heads;
            } },
        { "newInstallVersions", [&] { return model->newInstallVersions().size(); } },
        { "updateVersions", [&] { return model->updateVersions().size(); } },
        { "versionsToUninstall", [&] { return model->versionsToUninstall().size(); } },
        { "installList", [&] { return model->installList().size(); } },
        { "uninstallList", [&] { return model->uninstallList().size(); } },
        { "sortForInstall (500 selected)", [&] { return sortForInstall(selected).size(); } },
    };

    out << "repetitions: " << repetitions << " (best / mean in ms, result size)\n";
    for (const auto &[name, work] : cases) {
        qsizetype size = 0;
        const Timing timing = measure(repetitions, work, size);
        out << QStringLiteral("%1 %2 / %3 ms  (%4)\n")
                   .arg(QString::fromLatin1(name), -32)
                   .arg(timing.best, 8, 'f', 2)
                   .arg(timing.total / repetitions, 8, 'f', 2)
                   .arg(size);
    }
    return 0;
}
