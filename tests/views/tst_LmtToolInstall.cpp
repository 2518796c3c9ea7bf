#include "common/LmtModelFixtures.h"
#include "common/LmtTestSupport.h"
#include "model/LmtCoreToolModel.h"
#include "views/LmtToolInstallModel.h"
#include "views/LmtToolInstallView.h"

#include <QBrush>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

using namespace zendrel::lmt::setup;
using lmttest::addLocal;
using lmttest::addOnline;
using Row = LmtToolInstallRow;

namespace {

// Two offered versions to install and one installed version to remove.
struct Catalogue {
    std::shared_ptr<LmtCoreToolModel> model = std::make_shared<LmtCoreToolModel>();

    Catalogue()
    {
        auto tools
            = LmtTool::create(LmtToolsPackageFeatureId, LmtToolType::ToolsPackage, "Lumetra Tools");
        model->addTool(tools);
        addOnline(tools, "3.1.0.7", 0, true);
        auto probe = LmtTool::create("com.zdr.probe", LmtToolType::Other, "Beta Probe");
        model->addTool(probe);
        addOnline(probe, "2.0.1", 0, true);
        auto flash = LmtTool::create("com.zdr.flash", LmtToolType::Other, "Alpha Flash");
        model->addTool(flash);
        addLocal(flash, "0.9.0")->setSelected(false);
        // Offered but not chosen, and installed and kept: no job.
        addOnline(flash, "1.0.0");
        addLocal(probe, "1.5.0");
    }
};

QString statusOf(const LmtToolInstallModel &model, int row)
{
    return model.index(row, LmtToolInstallModel::ColumnStatus).data().toString();
}

} // namespace

class tst_LmtToolInstall : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;

private Q_SLOTS:
    void rowsAndColumns()
    {
        Catalogue catalogue;
        LmtToolInstallModel model;
        model.updateToolsData(catalogue.model);
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.columnCount(), 4);
        QStringList rows;
        for (int row = 0; row < model.rowCount(); ++row)
            rows << model.index(row, 0).data().toString() + " "
                    + model.index(row, 1).data().toString() + " " + statusOf(model, row);
        QCOMPARE(rows,
            QStringList({ "Lumetra Tools 3.1.0 Waiting for download",
                "Alpha Flash 0.9.0 Waiting to uninstall",
                "Beta Probe 2.0.1 Waiting for download" }));
        QCOMPARE(model.rows().at(1)->kind, qint32(Row::Uninstall));
        QCOMPARE(model.index(0, 1).data(Qt::TextAlignmentRole).toInt(), 133);
        QCOMPARE(model.index(0, 2).data(Qt::UserRole).toBool(), false);
        QVERIFY(!model.index(0, 3).data(Qt::ForegroundRole).isValid());
        QVERIFY(!model.index(0, 0).data(Qt::UserRole).isValid());
        QVERIFY(!model.index(3, 0).data().isValid());
    }

    void statusTextsAndColours_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("kind");
        QTest::addColumn<float>("progress"); // negative: none reported
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("red");
        const auto row = [](const char *name, LmtOperationStatus status, Row::Kind kind,
                             float progress, const char *text, bool red = false) {
            QTest::newRow(name) << int(status) << int(kind) << progress << QString(text) << red;
        };
        row("download starting", InProgress, Row::Download, -1, "Initiating download");
        row("downloading", InProgress, Row::Download, 42.5f, "Downloading - 42.50%");
        row("downloaded fully", InProgress, Row::Download, 100, "Downloading - 100.00%");
        row("installing", InProgress, Row::Install, -1, "Installing...");
        row("uninstalling", InProgress, Row::Uninstall, -1, "Uninstalling...");
        row("downloaded", Succeeded, Row::Download, -1, "Waiting for installation");
        row("installed", Succeeded, Row::Install, -1, "Done");
        row("uninstalled", Succeeded, Row::Uninstall, -1, "Done");
        row("download failed", Failed, Row::Download, -1, "Download failed", true);
        row("install failed", Failed, Row::Install, -1, "Install failed", true);
        row("uninstall failed", Failed, Row::Uninstall, -1, "Uninstall failed", true);
        row("download cancelled", Cancelled, Row::Download, -1, "Cancelled", true);
        row("install cancelled", Cancelled, Row::Install, -1, "Cancelled", true);
        row("uninstall cancelled", Cancelled, Row::Uninstall, -1, "Cancelled", true);
        row("waiting for download", Pending, Row::Download, -1, "Waiting for download");
        row("waiting to install", Pending, Row::Install, -1, "");
        row("waiting to uninstall", Pending, Row::Uninstall, -1, "Waiting to uninstall");
    }

    void statusTextsAndColours()
    {
        QFETCH(int, status);
        QFETCH(int, kind);
        QFETCH(float, progress);
        QFETCH(QString, text);
        QFETCH(bool, red);
        Catalogue catalogue;
        LmtToolInstallModel model;
        model.updateToolsData(catalogue.model);
        const bool removal = kind == Row::Uninstall;
        const QString featureId = removal ? "com.zdr.flash" : LmtToolsPackageFeatureId;
        const QString version = removal ? "0.9.0" : "3.1.0.7";
        model.setStatus(featureId, version, LmtOperationStatus(status), Row::Kind(kind));
        if (progress >= 0)
            model.setProgress(featureId, version, progress, Row::Kind(kind));
        const int row = removal ? 1 : 0;
        QCOMPARE(statusOf(model, row), text);
        const QVariant colour = model.index(row, 3).data(Qt::ForegroundRole);
        QCOMPARE(colour.isValid(), red);
        if (red)
            QCOMPARE(colour.value<QBrush>(), QBrush(Qt::red));
    }

    void signalsUpdateTheMatchingRow()
    {
        Catalogue catalogue;
        LmtToolInstallModel model;
        model.updateToolsData(catalogue.model);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        const QString tools = LmtToolsPackageFeatureId;

        model.setStatus(tools, "3.1.0.7", InProgress, Row::Download);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toModelIndex(), model.index(0, 2));
        QCOMPARE(changed.at(0).at(1).toModelIndex(), model.index(2, 3));
        QCOMPARE(model.index(0, 2).data(Qt::UserRole).toBool(), true);
        model.setProgress(tools, "3.1.0.7", 42.5f, Row::Download);

        // The short text or the wrong kind of version does not match: nothing changes.
        model.setProgress(tools, "3.1.0", 80, Row::Download);
        model.setStatus("com.zdr.flash", "0.9.0", InProgress, Row::Install);
        model.setStatus("com.zdr.flash", "1.0.0", InProgress, Row::Download); // not chosen
        QCOMPARE(changed.count(), 2);
        QCOMPARE(statusOf(model, 0), QStringLiteral("Downloading - 42.50%"));
        QCOMPARE(statusOf(model, 1), QStringLiteral("Waiting to uninstall"));

        model.setStatus(tools, "3.1.0.7", Succeeded, Row::Download);
        QCOMPARE(model.rows().at(0)->progress, 100.0f);
        model.setStatus(tools, "3.1.0.7", InProgress, Row::Install);
        QCOMPARE(model.rows().at(0)->progress, 0.0f);
        model.setStatus("com.zdr.flash", "0.9.0", Cancelled, Row::Uninstall);
        QCOMPARE(model.index(1, 2).data(Qt::UserRole).toBool(), false);
    }

    void endTestOfTheView()
    {
        Catalogue catalogue;
        LmtToolInstallView view;
        QSignalSpy complete(&view, &LmtToolInstallView::allJobsComplete);
        QStringList log;
        connect(&view, qOverload<QString, ConsoleMessageType>(&LmtToolInstallView::appendUILog),
            this, [&log](const QString &text, ConsoleMessageType type) {
                QCOMPARE(type, ConsoleMessageType::Auto);
                log << text;
            });
        view.updateToolsData(catalogue.model);
        QTableView *table = view.table();
        QCOMPARE(table->model()->rowCount(), 3);
        for (int row = 0; row < 3; ++row)
            QVERIFY(table->indexWidget(table->model()->index(row, 2)));
        QCOMPARE(table->columnWidth(3), 250);

        const QString tools = LmtToolsPackageFeatureId;
        view.onUninstallStatusChanged(InProgress, "com.zdr.flash", "0.9.0");
        QVERIFY(table->indexWidget(table->model()->index(1, 2))->isEnabled()); // spinner turns
        QVERIFY(!table->indexWidget(table->model()->index(0, 2))->isEnabled());
        view.onUninstallStatusChanged(Succeeded, "com.zdr.flash", "0.9.0");
        QVERIFY(!table->indexWidget(table->model()->index(1, 2))->isEnabled());
        view.onDownloadStatusChanged(InProgress, tools, "3.1.0.7");
        view.onDownloadProgressChanged(42.5f, tools, "3.1.0.7");
        QCOMPARE(statusOf(*view.model(), 0), QStringLiteral("Downloading - 42.50%"));
        view.onDownloadStatusChanged(Succeeded, tools, "3.1.0.7");
        view.onDownloadStatusChanged(InProgress, "com.zdr.probe", "2.0.1");
        view.onDownloadStatusChanged(Succeeded, "com.zdr.probe", "2.0.1");
        view.onInstallStatusChanged(InProgress, "com.zdr.probe", "2.0.1");
        view.onInstallStatusChanged(Succeeded, "com.zdr.probe", "2.0.1");
        // The tools package is downloaded but not installed yet: no announcement.
        QCOMPARE(complete.count(), 0);
        QVERIFY(log.isEmpty());
        // A status for a package without row changes nothing and announces nothing yet.
        view.onInstallStatusChanged(Succeeded, "com.zdr.other", "1.0.0");
        QCOMPARE(complete.count(), 0);

        view.onInstallStatusChanged(InProgress, tools, "3.1.0.7");
        view.onInstallStatusChanged(Succeeded, tools, "3.1.0.7");
        QCOMPARE(complete.count(), 1);
        QCOMPARE(complete.at(0).at(0).toBool(), true);
        QCOMPARE(log, QStringList({ "All tasks were completed successfully" }));
        // Every later status announces again.
        view.onInstallStatusChanged(Succeeded, "com.zdr.other", "1.0.0");
        QCOMPARE(complete.count(), 2);

        // A fresh run where one install fails.
        view.updateToolsData(catalogue.model);
        complete.clear();
        log.clear();
        view.onUninstallStatusChanged(Succeeded, "com.zdr.flash", "0.9.0");
        view.onInstallStatusChanged(Failed, tools, "3.1.0.7");
        QCOMPARE(complete.count(), 0); // the probe still waits for its download
        view.onDownloadStatusChanged(Cancelled, "com.zdr.probe", "2.0.1");
        QCOMPARE(complete.count(), 1);
        QCOMPARE(complete.at(0).at(0).toBool(), false);
        QCOMPARE(log, QStringList({ "Failed to complete all tasks" }));
    }

    void emptyModelEndsAtOnce()
    {
        LmtToolInstallModel model;
        QVERIFY(model.allFinished());
        QVERIFY(model.allSucceeded());
        model.updateToolsData(std::make_shared<LmtCoreToolModel>());
        QCOMPARE(model.rowCount(), 0);
        // No row to report on: no range to announce either.
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.setStatus("x", "1.0.0", Succeeded, Row::Install);
        QCOMPARE(changed.count(), 0);
    }
};

QTEST_MAIN(tst_LmtToolInstall)
#include "tst_LmtToolInstall.moc"
