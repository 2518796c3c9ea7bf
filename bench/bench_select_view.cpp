// Times the select page on a large catalogue (1,000 tools with 20 versions each, 200 of them
// installed): handing a new catalogue to the view (both tables rebuilt, unmet dependencies
// computed and logged, drop-downs and information cells opened, tables synced), working out
// the unmet dependencies alone, and checking a version whose dependencies pull in a chain of
// further tools. The page is shown as in the window, and after each refresh the events are
// processed (old cells deleted, the page painted) before anything is clicked, as they are
// before a user can click; a click is timed up to the end of the repaint it causes.
//
// Run: build/bench/bench_select_view [repetitions] [tools]   (QT_QPA_PLATFORM=offscreen without
// display)

#include "model/LmtCoreToolModel.h"
#include "model/LmtLocalToolVersion.h"
#include "model/LmtOnlineToolVersion.h"
#include "model/LmtTool.h"
#include "platform/LmtPlatform.h"
#include "shared_toolkit/Log.h"
#include "views/LmtToolSelectModel.h"
#include "views/LmtToolSelectView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QUrl>

#include <algorithm>
#include <cstdio>

using namespace zendrel::lmt::setup;

namespace {

// Default size; the second argument sets another tool count.
int ToolCount = 1000;
constexpr int VersionsPerTool = 20;
constexpr int InstalledShare = 5; // 200 of 1,000 tools

QString featureId(int tool)
{
    return QStringLiteral("com.zdr.bench.tool%1").arg(tool % ToolCount, 4, 10, QLatin1Char('0'));
}

quint64 numericOf(int major, int patch)
{
    return quint64(major) * 1000000 + quint64(patch);
}

// Every version depends on the next tool (any version), so checking one version pulls in the
// tools after it. The first fifth of the tools have their oldest version installed; those
// dependencies on the next tool start out unmet. Versions run 1.0.0 to 2.0.9, which makes two
// rows for a tools package or other tool and one for a pack or an external tool.
std::shared_ptr<LmtCoreToolModel> buildCatalogue()
{
    static const LmtToolType types[] = { LmtToolType::ToolsPackage, LmtToolType::ContentPack,
        LmtToolType::External, LmtToolType::Other, LmtToolType::Other };
    auto model = std::make_shared<LmtCoreToolModel>();
    for (int t = 0; t < ToolCount; ++t) {
        auto tool = LmtTool::create(featureId(t), types[t % 5], QStringLiteral("Tool %1").arg(t));
        model->addTool(tool);
        for (int v = 0; v < VersionsPerTool; ++v) {
            const int major = 1 + v / 10;
            const int patch = v % 10;
            const QString text = QStringLiteral("%1.0.%2").arg(major).arg(patch);
            std::shared_ptr<LmtToolVersion> version;
            if (v == 0 && t < ToolCount / InstalledShare) {
                auto installed = LmtLocalToolVersion::create(text, numericOf(major, patch));
                installed->setPath(QStringLiteral("/opt/bench/%1/%2/").arg(t).arg(v));
                version = installed;
            } else {
                auto offered = LmtOnlineToolVersion::create(text, numericOf(major, patch), v);
                offered->addPackage(
                    std::make_shared<LmtToolPackage>(zendrel::lmt::platform::osName(),
                        QUrl("https://downloads.example/" + text), "installer", "exe", 1024));
                version = offered;
            }
            tool->addVersion(version);
            if (t + 1 < ToolCount)
                version->addDependency(featureId(t + 1), 0, LmtToolDependency::Unbounded);
        }
    }
    return model;
}

// A field of /proc/self/status in MiB ("VmRSS", "VmHWM"), or -1.
long statusMiB(const QByteArray &field)
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toLong() / 1024;
    }
    return -1;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

double minimum(const QList<double> &values)
{
    return *std::min_element(values.cbegin(), values.cend());
}

// What the window's event loop does after a refresh before the user can click: the old cells
// go (deleteLater) and the page is painted. Only then does the C library's heap, too, settle
// after thousands of freed widgets; a click made before would pay for that.
void settleAfterRefresh()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// The first row, in either table, whose tool is the given one.
std::shared_ptr<LmtToolSelectRow> rowOfTool(
    const LmtToolSelectView &view, const QString &id, LmtToolSelectModel **model, int *index)
{
    for (LmtToolSelectModel *candidate : { view.baseModel(), view.additionalModel() }) {
        for (int i = 0; i < candidate->rowCount(); ++i) {
            if (candidate->rows().at(i)->currentVersion()->featureId() == id) {
                *model = candidate;
                *index = i;
                return candidate->rows().at(i);
            }
        }
    }
    return nullptr;
}

void clearSelection(const std::shared_ptr<LmtCoreToolModel> &catalogue)
{
    for (const auto &tool : catalogue->tools()) {
        for (const auto &version : tool->allVersions())
            version->setSelected(!version->isOnline());
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The catalogue logs every change of a selected flag; keep the timing about the view.
    QLoggingCategory::setFilterRules(QStringLiteral("LOCAL.info=false"));
    const int repetitions = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    if (argc > 2)
        ToolCount = std::max(10, atoi(argv[2]));
    std::setvbuf(stdout, nullptr, _IONBF, 0);

    auto catalogue = buildCatalogue();
    LmtToolSelectView view;
    view.resize(1000, 700);
    view.show();
    qsizetype logLines = 0;
    QObject::connect(&view,
        qOverload<QString, zendrel::lmt::shared_toolkit::ConsoleMessageType>(
            &LmtToolSelectView::appendUILog),
        [&logLines](
            const QString &, zendrel::lmt::shared_toolkit::ConsoleMessageType) { ++logLines; });

    const long residentBefore = statusMiB("VmRSS");
    QList<double> updateTimes;
    for (int i = 0; i < repetitions; ++i) {
        logLines = 0;
        QElapsedTimer timer;
        timer.start();
        view.updateToolsData(catalogue);
        updateTimes.append(timer.nsecsElapsed() / 1e6);
        // The editors of the previous tables go with deleteLater; without an event loop
        // running they would pile up here.
        settleAfterRefresh();
        if (i == 0) {
            std::printf("rows: base %d, additional %d; %lld unmet dependencies logged\n",
                view.baseModel()->rowCount(), view.additionalModel()->rowCount(),
                qlonglong(logLines));
            std::printf("resident memory: %ld MiB with the catalogue, %ld MiB with the page\n",
                residentBefore, statusMiB("VmRSS"));
        }
    }

    const LmtToolVersionList shown = LmtToolSelectView::shownVersions(
        view.baseModel()->rows(), view.additionalModel()->rows());
    QList<double> computeTimes;
    for (int i = 0; i < repetitions; ++i) {
        QElapsedTimer timer;
        timer.start();
        const qsizetype missing = LmtToolSelectView::computeMissing(shown).size();
        computeTimes.append(timer.nsecsElapsed() / 1e6);
        if (i == 0)
            std::printf(
                "shown versions: %lld, unmet: %lld\n", qlonglong(shown.size()), qlonglong(missing));
    }

    std::printf("updateToolsData (%d tools x %d versions, %d installed): min %.1f ms, median "
                "%.1f ms\n",
        ToolCount, VersionsPerTool, ToolCount / InstalledShare, minimum(updateTimes),
        median(updateTimes));
    std::printf("computeMissing on the shown versions: min %.2f ms, median %.2f ms\n",
        minimum(computeTimes), median(computeTimes));

    // Checking the version of a tool near the end pulls in the tools after it, one per level
    // of the automatic selection.
    for (int chain : { 1, 10, 50 }) {
        QList<double> checkTimes;
        int selectedAfter = 0;
        for (int i = 0; i < repetitions; ++i) {
            clearSelection(catalogue);
            view.updateToolsData(catalogue);
            settleAfterRefresh();
            LmtToolSelectModel *model = nullptr;
            int index = -1;
            // Tool ToolCount - chain - 1 depends on the next chain tools (the last one has no
            // dependency); pick one whose row shows an offered version.
            int start = ToolCount - chain - 1;
            while (start > 0) {
                auto row = rowOfTool(view, featureId(start), &model, &index);
                if (row && row->currentVersion()->isOnline())
                    break;
                --start;
            }
            QElapsedTimer timer;
            timer.start();
            model->setData(model->index(index, LmtToolSelectModel::ColumnCheck), int(Qt::Checked),
                Qt::CheckStateRole);
            // The repaint the change notices asked for.
            QCoreApplication::processEvents();
            checkTimes.append(timer.nsecsElapsed() / 1e6);
            selectedAfter = 0;
            for (const auto &tool : catalogue->tools()) {
                for (const auto &version : tool->allVersions())
                    selectedAfter += version->selected() && version->isOnline() ? 1 : 0;
            }
        }
        std::printf("check one version with a dependency chain of about %d tools: min %.1f ms, "
                    "median %.1f ms (%d offered versions selected)\n",
            chain, minimum(checkTimes), median(checkTimes), selectedAfter);
    }
    return 0;
}
