#include "common/LmtTableRows.h"
#include "common/LmtTestSupport.h"
#include "views/LmtToolInstallModel.h"
#include "views/LmtToolInstallView.h"
#include "views/SelectTestCatalogue.h"

#include <QBrush>
#include <QMetaEnum>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

using namespace zendrel::lmt::setup;
using Row = LmtToolInstallRow;

// Two offered versions to install and one installed version to remove.
class tst_LmtToolInstall : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;
    selecttest::Catalogue m_catalogue { "views/install.json" };
    std::unique_ptr<LmtToolInstallModel> m_model;
    const QString m_tools = LmtToolsPackageFeatureId;

    QString statusOf(int row) const
    {
        return m_model->index(row, LmtToolInstallModel::ColumnStatus).data().toString();
    }

private Q_SLOTS:
    void init()
    {
        m_model = std::make_unique<LmtToolInstallModel>();
        m_model->updateToolsData(m_catalogue.model);
    }

    void rowsAndColumns()
    {
        QCOMPARE(m_model->columnCount(), 4);
        QStringList rows;
        for (int row = 0; row < m_model->rowCount(); ++row)
            rows << m_model->index(row, 0).data().toString() + " "
                    + m_model->index(row, 1).data().toString() + " " + statusOf(row);
        QCOMPARE(rows,
            QStringList({ "Lumetra Tools 3.1.0 Waiting for download",
                "Alpha Flash 0.9.0 Waiting to uninstall",
                "Beta Probe 2.0.1 Waiting for download" }));
        QCOMPARE(m_model->rows().at(1)->kind, qint32(Row::Uninstall));
        QCOMPARE(m_model->index(0, 1).data(Qt::TextAlignmentRole).toInt(), 133);
        QCOMPARE(m_model->index(0, 2).data(Qt::UserRole).toBool(), false);
        QVERIFY(!m_model->index(0, 3).data(Qt::ForegroundRole).isValid());
        QVERIFY(!m_model->index(0, 0).data(Qt::UserRole).isValid());
        QVERIFY(!m_model->index(3, 0).data().isValid());

        // Empty, it has finished at once and has no range to announce.
        LmtToolInstallModel empty;
        QVERIFY(empty.allFinished());
        QVERIFY(empty.allSucceeded());
        empty.updateToolsData(std::make_shared<LmtCoreToolModel>());
        QCOMPARE(empty.rowCount(), 0);
        QSignalSpy changed(&empty, &QAbstractItemModel::dataChanged);
        empty.setStatus("x", "1.0.0", Succeeded, Row::Install);
        QCOMPARE(changed.count(), 0);
    }

    void statusTextsAndColours_data() { lmttest::rowsFrom("views/install-statuses.json", "given"); }

    void statusTextsAndColours()
    {
        QFETCH(QJsonObject, given);
        const auto kind = Row::Kind(
            QStringList({ "Download", "Install", "Uninstall" }).indexOf(given["kind"].toString()));
        const bool removal = kind == Row::Uninstall;
        const QString featureId = removal ? "com.zdr.flash" : m_tools;
        const QString version = removal ? "0.9.0" : "3.1.0.7";
        m_model->setStatus(featureId, version,
            LmtOperationStatus(QMetaEnum::fromType<LmtOperationStatus>().keyToValue(
                qPrintable(given["status"].toString()))),
            kind);
        if (given.contains("progress"))
            m_model->setProgress(featureId, version, given["progress"].toDouble(), kind);
        const int row = removal ? 1 : 0;
        QCOMPARE(statusOf(row), given["text"].toString());
        const QVariant colour = m_model->index(row, 3).data(Qt::ForegroundRole);
        QCOMPARE(colour.isValid(), given["red"].toBool());
        if (colour.isValid())
            QCOMPARE(colour.value<QBrush>(), QBrush(Qt::red));
    }

    void signalsUpdateTheMatchingRow()
    {
        QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
        m_model->setStatus(m_tools, "3.1.0.7", InProgress, Row::Download);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toModelIndex(), m_model->index(0, 2));
        QCOMPARE(changed.at(0).at(1).toModelIndex(), m_model->index(2, 3));
        QCOMPARE(m_model->index(0, 2).data(Qt::UserRole).toBool(), true);
        m_model->setProgress(m_tools, "3.1.0.7", 42.5f, Row::Download);

        // The short text or the wrong kind of version does not match: nothing changes.
        m_model->setProgress(m_tools, "3.1.0", 80, Row::Download);
        m_model->setStatus("com.zdr.flash", "0.9.0", InProgress, Row::Install);
        m_model->setStatus("com.zdr.flash", "1.0.0", InProgress, Row::Download); // not chosen
        QCOMPARE(changed.count(), 2);
        QCOMPARE(statusOf(0), QStringLiteral("Downloading - 42.50%"));
        QCOMPARE(statusOf(1), QStringLiteral("Waiting to uninstall"));

        m_model->setStatus(m_tools, "3.1.0.7", Succeeded, Row::Download);
        QCOMPARE(m_model->rows().at(0)->progress, 100.0f);
        m_model->setStatus(m_tools, "3.1.0.7", InProgress, Row::Install);
        QCOMPARE(m_model->rows().at(0)->progress, 0.0f);
        m_model->setStatus("com.zdr.flash", "0.9.0", Cancelled, Row::Uninstall);
        QCOMPARE(m_model->index(1, 2).data(Qt::UserRole).toBool(), false);
    }

    void endTestOfTheView()
    {
        LmtToolInstallView view;
        QSignalSpy complete(&view, &LmtToolInstallView::allJobsComplete);
        QStringList log;
        connect(&view, qOverload<QString, ConsoleMessageType>(&LmtToolInstallView::appendUILog),
            this, [&log](const QString &text, ConsoleMessageType type) {
                QCOMPARE(type, ConsoleMessageType::Auto);
                log << text;
            });
        view.updateToolsData(m_catalogue.model);
        QTableView *table = view.table();
        const auto spinner
            = [table](int row) { return table->indexWidget(table->model()->index(row, 2)); };
        QCOMPARE(table->model()->rowCount(), 3);
        QVERIFY(spinner(0) && spinner(1) && spinner(2));
        QCOMPARE(table->columnWidth(3), 250);

        view.onUninstallStatusChanged(InProgress, "com.zdr.flash", "0.9.0");
        QVERIFY(spinner(1)->isEnabled()); // it turns
        QVERIFY(!spinner(0)->isEnabled());
        view.onUninstallStatusChanged(Succeeded, "com.zdr.flash", "0.9.0");
        QVERIFY(!spinner(1)->isEnabled());
        view.onDownloadStatusChanged(InProgress, m_tools, "3.1.0.7");
        view.onDownloadProgressChanged(42.5f, m_tools, "3.1.0.7");
        QCOMPARE(view.model()->index(0, 3).data().toString(), "Downloading - 42.50%");
        view.onDownloadStatusChanged(Succeeded, m_tools, "3.1.0.7");
        view.onDownloadStatusChanged(InProgress, "com.zdr.probe", "2.0.1");
        view.onDownloadStatusChanged(Succeeded, "com.zdr.probe", "2.0.1");
        view.onInstallStatusChanged(InProgress, "com.zdr.probe", "2.0.1");
        view.onInstallStatusChanged(Succeeded, "com.zdr.probe", "2.0.1");
        // The tools package is downloaded but not installed yet, and a status for a package
        // without row changes nothing: no announcement.
        view.onInstallStatusChanged(Succeeded, "com.zdr.other", "1.0.0");
        QCOMPARE(complete.count(), 0);
        QVERIFY(log.isEmpty());

        view.onInstallStatusChanged(InProgress, m_tools, "3.1.0.7");
        view.onInstallStatusChanged(Succeeded, m_tools, "3.1.0.7");
        QCOMPARE(complete.count(), 1);
        QCOMPARE(complete.at(0).at(0).toBool(), true);
        QCOMPARE(log, QStringList({ "All tasks were completed successfully" }));
        // Every later status announces again.
        view.onInstallStatusChanged(Succeeded, "com.zdr.other", "1.0.0");
        QCOMPARE(complete.count(), 2);

        // A fresh run where one install fails.
        view.updateToolsData(m_catalogue.model);
        complete.clear();
        log.clear();
        view.onUninstallStatusChanged(Succeeded, "com.zdr.flash", "0.9.0");
        view.onInstallStatusChanged(Failed, m_tools, "3.1.0.7");
        QCOMPARE(complete.count(), 0); // the probe still waits for its download
        view.onDownloadStatusChanged(Cancelled, "com.zdr.probe", "2.0.1");
        QCOMPARE(complete.count(), 1);
        QCOMPARE(complete.at(0).at(0).toBool(), false);
        QCOMPARE(log, QStringList({ "Failed to complete all tasks" }));
    }
};

QTEST_MAIN(tst_LmtToolInstall)
#include "tst_LmtToolInstall.moc"
