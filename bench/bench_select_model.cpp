// Times building the two select tables from a large catalogue (1,000 tools with 20 versions
// each) and asking every cell for what a view paints: names, keys, icons, tool tips and the
// information texts.
//
// Run: build/bench/bench_select_model [repetitions]   (QT_QPA_PLATFORM=offscreen without display)

#include "model/LmtCoreToolModel.h"
#include "model/LmtLocalToolVersion.h"
#include "model/LmtOnlineToolVersion.h"
#include "model/LmtTool.h"
#include "platform/LmtPlatform.h"
#include "shared_toolkit/Log.h"
#include "views/LmtToolSelectModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QUrl>

#include <algorithm>
#include <cstdio>

using namespace zendrel::lmt::setup;

namespace {

constexpr int ToolCount = 1000;
constexpr int VersionsPerTool = 20;

std::shared_ptr<LmtCoreToolModel> buildCatalogue()
{
    static const LmtToolType types[] = { LmtToolType::Patch, LmtToolType::ContentPack,
        LmtToolType::External, LmtToolType::Other, LmtToolType::ContentPack };
    auto model = std::make_shared<LmtCoreToolModel>();
    for (int t = 0; t < ToolCount; ++t) {
        const QString featureId = QStringLiteral("com.zdr.bench.tool%1").arg(t);
        auto tool = LmtTool::create(featureId, types[t % 5], QStringLiteral("Tool %1").arg(t));
        model->addTool(tool);
        for (int v = 0; v < VersionsPerTool; ++v) {
            const QString text
                = QStringLiteral("%1.%2.%3.%4").arg(v / 5 + 1).arg(v % 5).arg(0).arg(v);
            const quint64 numeric = quint64(v + 1) * 1000;
            if (v % 7 == 0) {
                auto installed = LmtLocalToolVersion::create(text, numeric);
                installed->setPath(QStringLiteral("/opt/bench/%1/%2/").arg(t).arg(v));
                tool->addVersion(installed);
                continue;
            }
            auto offered = LmtOnlineToolVersion::create(text, numeric, v);
            tool->addVersion(offered);
            offered->addPackage(std::make_shared<LmtToolPackage>(zendrel::lmt::platform::osName(),
                QUrl("https://downloads.example/" + text), "installer", "exe", 1024));
            offered->addDependency(QStringLiteral("com.zdr.bench.tool%1").arg((t + 1) % ToolCount),
                0, LmtToolDependency::Unbounded);
        }
    }
    return model;
}

// Reads every cell the way a view does while painting, so that the hint texts are built.
qsizetype readEveryCell(const LmtToolSelectModel &model)
{
    qsizetype characters = 0;
    static const int roles[] = { Qt::DisplayRole, Qt::EditRole, Qt::DecorationRole, Qt::ToolTipRole,
        Qt::CheckStateRole, Qt::UserRole };
    for (int row = 0; row < model.rowCount(); ++row) {
        for (int column = 0; column < model.columnCount(); ++column) {
            const QModelIndex index = model.index(row, column);
            for (int role : roles)
                characters += model.data(index, role).toString().size();
        }
    }
    return characters;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The catalogue logs every added version; keep the timing about the tables.
    QLoggingCategory::setFilterRules(QStringLiteral("LOCAL.info=false"));
    const int repetitions = argc > 1 ? std::max(1, atoi(argv[1])) : 5;

    auto catalogue = buildCatalogue();
    // The catalogue's share of building: splitting every tool's versions into lines.
    QList<double> groupTimes;
    for (int i = 0; i < repetitions; ++i) {
        QElapsedTimer timer;
        timer.start();
        qsizetype groups = 0;
        for (const auto &tool : catalogue->tools())
            groups += tool->versionGroups().size();
        groupTimes.append(timer.nsecsElapsed() / 1e6);
        if (i == 0)
            std::printf("version lines: %lld\n", qlonglong(groups));
    }
    QList<double> buildTimes;
    QList<double> readTimes;
    for (int i = 0; i < repetitions; ++i) {
        LmtToolSelectModel base(true);
        LmtToolSelectModel additional(false);
        QElapsedTimer timer;
        timer.start();
        base.updateToolsData(catalogue);
        additional.updateToolsData(catalogue);
        buildTimes.append(timer.nsecsElapsed() / 1e6);

        timer.restart();
        const qsizetype characters = readEveryCell(base) + readEveryCell(additional);
        readTimes.append(timer.nsecsElapsed() / 1e6);
        if (i == 0) {
            std::printf("rows: base %d, additional %d; %lld characters read per pass\n",
                base.rowCount(), additional.rowCount(), qlonglong(characters));
        }
    }
    std::sort(groupTimes.begin(), groupTimes.end());
    std::sort(buildTimes.begin(), buildTimes.end());
    std::sort(readTimes.begin(), readTimes.end());
    std::printf("versionGroups() of every tool: min %.1f ms, median %.1f ms\n", groupTimes.first(),
        groupTimes.at(groupTimes.size() / 2));
    std::printf("build both models (%d tools x %d versions): min %.1f ms, median %.1f ms\n",
        ToolCount, VersionsPerTool, buildTimes.first(), buildTimes.at(buildTimes.size() / 2));
    std::printf("read every cell of both models: min %.1f ms, median %.1f ms\n", readTimes.first(),
        readTimes.at(readTimes.size() / 2));
    return 0;
}
