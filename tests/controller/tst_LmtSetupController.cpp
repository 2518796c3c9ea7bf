#include "base/LmtFolders.h"
#include "common/LmtControllerEvents.h"
#include "common/LmtFakeServices.h"
#include "common/LmtModelFixtures.h"
#include "common/LmtTableRows.h"
#include "common/LmtTestSupport.h"
#include "services/LmtInstaller.h"
#include "services/LmtVendorSite.h"
#include "services/NetworkException.h"

#include <QNetworkReply>
#include <QtTest>

#include <stdexcept>

using namespace zendrel::lmt::setup;
using namespace lmttest;

namespace {

// The controller on its real thread with fake services around it. Every signal it sends is
// recorded on the test's thread as "name arguments" so that tests can wait for it.
struct ControllerRig : FakeServices {
    std::shared_ptr<LmtSetupController> controller = makeController();
    QObject context;
    ControllerEvents recorded { controller.get() };

    ControllerRig()
    {
        QObject::connect(controller.get(), &LmtSetupController::appendUILog, &context,
            [this](const QString &text) { recorded.lines << "log " + text; });
        QObject::connect(controller.get(), &LmtSetupController::releaseNotesOrLicenseDataReady,
            &context, [this](const QString &data, const QString &url) {
                recorded.lines << QStringLiteral("ready %1 %2").arg(url, data);
            });
    }

    QStringList matching(const QString &prefix) const { return recorded.matching(prefix); }
    bool waitFor(const QString &prefix) { return recorded.waitFor(prefix, 5000); }
    // Every request queued before this one has been served once it returns.
    bool drain()
    {
        const int before = matching("toolDataChanged").size();
        controller->updateTools(false);
        return QTest::qWaitFor([&] { return matching("toolDataChanged").size() > before; }, 5000);
    }
};

} // namespace

class TestLmtSetupController : public QObject
{
    Q_OBJECT

    Sandbox m_sandbox;

private Q_SLOTS:
    void initTestCase() { registerMetaTypes(); }

    void refreshReadsAllThreeRegistriesWhateverFails_data()
    {
        rowsFrom("controller/refresh-failures.json");
    }
    void refreshReadsAllThreeRegistriesWhateverFails()
    {
        QFETCH(QJsonObject, row);
        ControllerRig rig;
        const QHash<QString, FakeRegistryParser *> parsers { { "online", rig.online.get() },
            { "local", rig.local.get() }, { "thirdParty", rig.thirdParty.get() } };
        parsers[row["parser"].toString()]->onParse
            = [reason = row["reason"].toString(), code = row["networkCode"].toInt(-1)] {
                  if (code >= 0)
                      throw NetworkException(reason, code);
                  throw std::runtime_error(reason.toStdString());
              };
        rig.controller->updateTools(false);
        const bool success = row["success"].toBool();
        QTRY_COMPARE(rig.matching("toolDataChanged"),
            QStringList { "toolDataChanged " + QString::number(success) });
        QString error = row["error"].toString();
        if (error.contains("%1"))
            error = error.arg(downloadsDirectory().absolutePath(), offlineInstallationPageUrl());
        QCOMPARE(rig.matching("error"), QStringList { error });
        QCOMPARE(rig.recorded.lines.contains("log Updated the tool list"), success);
        QVERIFY(
            !row.contains("log") || rig.recorded.lines.contains("log " + row["log"].toString()));
        // All three are read whatever failed; a logout is queued behind the refresh.
        QStringList journal { "online.parse", "local.parse", "thirdParty.parse" };
        if (row.contains("then"))
            journal << row["then"].toString();
        QTRY_COMPARE(rig.journal.entries(), journal);
    }

    void restoresTheSelectionOnlyWhenAsked()
    {
        ControllerRig rig;
        // Every refresh builds fresh tool objects, as the real parsers do.
        rig.local->onParse = [&rig] {
            auto tool = LmtTool::create("com.zdr.a", LmtToolType::Other, "A");
            addOnline(tool, "1.0.0");
            addOnline(tool, "2.0.0");
            rig.model->addTool(tool);
        };
        const auto offer = [&rig] { return rig.model->findOnlineVersion("com.zdr.a", "2.0.0"); };
        QVERIFY(rig.drain());
        for (const bool restore : { false, true }) {
            offer()->setSelected(true);
            rig.recorded.lines.clear();
            rig.controller->updateTools(restore);
            QVERIFY(rig.waitFor("toolDataChanged"));
            QCOMPARE(offer()->selected(), restore);
        }
    }

    void startInstallStartsTheJobs()
    {
        ControllerRig rig;
        auto tool = LmtTool::create("com.zdr.a", LmtToolType::Other, "A");
        addLocal(tool, "1.0.0")->setSelected(false); // installed and unchecked: removed
        rig.model->addTool(tool);
        tool = LmtTool::create("com.zdr.b", LmtToolType::Other, "B");
        addOnline(tool, "3.1.0", 0, true);
        rig.model->addTool(tool);
        rig.controller->startInstall();
        QTRY_COMPARE(rig.journal.entries(),
            (QStringList { "uninstaller.start 1", "downloader.start 3.1.0", "installer.start" }));
        QVERIFY(rig.recorded.lines.isEmpty());

        // Nothing to remove: the uninstaller is left alone; a failing start is reported.
        rig.model->clear();
        rig.journal.clear();
        rig.downloader->onStart
            = [] { throw std::runtime_error("Downloader is already running."); };
        rig.controller->startInstall();
        QVERIFY(rig.waitFor("error"));
        QCOMPARE(rig.matching("error"),
            QStringList {
                "error 1 Failed to start downloader : 'Downloader is already running.'" });
        QCOMPARE(rig.journal.entries(), QStringList { "downloader.start " });
    }

    void elevationFollowsTheScopesTheInstallationWillUse_data()
    {
        rowsFrom("controller/elevation-scopes.json");
    }

    void elevationFollowsTheScopesTheInstallationWillUse()
    {
        QFETCH(QJsonObject, row);
        const auto scope = [&row](const char *key) {
            return row[key] == "AllUsers" ? LmtToolInstallScope::AllUsers
                                          : LmtToolInstallScope::CurrentUser;
        };
        // The real installer decides from the model, as an unprivileged user on Linux would.
        FakeServices services;
        const auto installer = std::make_shared<LmtInstaller>(services.connector, services.model);
        installer->setElevationCheck([] { return false; });
        // An external tool has one line: 2.0 updates whatever 1.0 is installed.
        const auto tool = LmtTool::create("com.zdr.a", LmtToolType::External, "A");
        if (row.contains("installed"))
            addLocal(tool, "1.0.0.1", scope("installed"))->setSelected(false);
        addOnline(tool, "2.0.0.1", 2, true)->setInstallScope(scope("offered"));
        services.model->addTool(tool);
        LmtSetupController controller(services.model, services.downloadManager, services.connector,
            services.login, services.local, services.online, services.thirdParty,
            services.downloader, installer, services.uninstaller, services.selfUpdater);
        ControllerEvents events(&controller);
        connect(&controller, &LmtSetupController::startInstallRequested, this,
            [&events] { events.lines << "startInstallRequested"; });
        controller.startInstall();
        QCOMPARE(events.lines, QStringList { row["expected"].toString() });
    }

    void launcherStartVerifiesTheStoredToken_data() { rowsFrom("controller/launcher-start.json"); }
    void launcherStartVerifiesTheStoredToken()
    {
        QFETCH(QJsonObject, row);
        const auto strings
            = [&row](const char *key) { return row[key].toVariant().toStringList(); };
        LogCapture log;
        ControllerRig rig;
        if (row["token"].toBool())
            rig.login->setToken(std::make_shared<LmtAccessToken>(
                "secret-token", "3600", QString::number(QDateTime::currentSecsSinceEpoch())));
        if (const QString start = row["start"].toString(); !start.isEmpty())
            rig.connector->setStartBehaviour(
                [start] { throw std::runtime_error(qPrintable(start)); });
        rig.connector->setTokenCheck([check = row["check"].toString()] {
            if (check == "throw")
                throw std::runtime_error("refused");
            return check == "true";
        });
        rig.controller->startLauncherService();
        // The journal ends with the refresh that drain() asks for.
        QVERIFY(rig.drain());
        QCOMPARE(rig.matching("error"), strings("errors"));
        QCOMPARE(rig.matching("loginStateChanged"), strings("loginStates"));
        QStringList connectorCalls;
        for (const auto &call : rig.connector->calls())
            connectorCalls << call.operation;
        QCOMPARE(connectorCalls, strings("connector"));
        QCOMPARE(rig.journal.entries(), strings("journal"));
        for (const QString &line : strings("logs"))
            QVERIFY2(rig.recorded.lines.contains("log " + line), qPrintable(line));
        QVERIFY(log.contains(row["logged"].toString()));
        const auto token = rig.online->lastToken;
        QCOMPARE(QString(!token             ? "none"
                         : token->isValid() ? "valid"
                                            : "invalid"),
            row["parserToken"].toString());
        QCOMPARE(rig.login->accessToken() && rig.login->accessToken()->isValid(),
            row["tokenKept"].toBool());
        QVERIFY(!log.lines().join('\n').contains("secret-token"));
    }

    // Requests are served one after another in the order asked, even while one waits in a local
    // event loop (as probing a 3rd-party tool does), and whatever a service throws.
    void servesRequestsInOrderAndSurvivesAnyException()
    {
        ControllerRig rig;
        rig.thirdParty->onParse = [&rig] {
            QEventLoop probe;
            QTimer::singleShot(300, &probe, &QEventLoop::quit);
            probe.exec();
            rig.journal.add("thirdParty.done");
        };
        rig.login->onLogin = [] { throw 42; }; // not even a std::exception
        rig.selfUpdater->onCheck = [] { throw std::runtime_error("service down"); };
        rig.controller->updateTools(false);
        QTest::qWait(50);
        rig.controller->startLogin();
        rig.controller->checkIfUpdateAvailable();
        rig.controller->startLogout();
        rig.controller->startDownloadSelfUpdate();
        rig.controller->stopInstall();
        QTRY_COMPARE(rig.journal.entries(),
            (QStringList { "online.parse", "local.parse", "thirdParty.parse", "thirdParty.done",
                "login.startLogin", "selfUpdater.checkForUpdate", "login.startLogout",
                "selfUpdater.startDownloadUpdate", "downloader.stop", "installer.stop",
                "uninstaller.stop" }));
        QTRY_COMPARE(rig.matching("error"),
            (QStringList { "error 1 Failed to Login: 'unknown exception'",
                "error 1 Failed to check for the Lumetra™ Setup update: 'service down'" }));
        QVERIFY(rig.recorded.lines.contains("log Checking for the Lumetra™ Setup update..."));
        rig.selfUpdater->state = 1; // started, not downloaded yet
        QVERIFY(rig.controller->isSelfUpdateDownloading() && !rig.controller->isSelfUpdateReady());
    }

    void documentsAreAnsweredForTheirUrlAlsoOnFailure()
    {
        ControllerRig rig;
        const QString notes = "https://tools.example/a/versions/1.0/release-note/";
        const QString licence = "https://tools.example/a/versions/1.0/license/";
        rig.downloadManager->setResponder([&](const FakeDownloadManager::Call &call) {
            if (call.url.toString() == licence)
                throw NetworkException("Not found", QNetworkReply::ContentNotFoundError);
            return QByteArray("Fixed – everything");
        });
        for (const QString &url : { notes, licence })
            QMetaObject::invokeMethod(
                rig.controller.get(), "getReleaseNotesOrLicenseData", Q_ARG(QString, url));
        const QString failure = "Failed to get 'Release Notes' or 'License' data,\nNot "
                                "found.\nPlease make sure you are logged in.";
        QTRY_COMPARE(rig.matching("ready"),
            (QStringList {
                "ready " + notes + " Fixed – everything", "ready " + licence + " " + failure }));
        QCOMPARE(rig.matching("error"), QStringList { "error 1 " + failure });
        QCOMPARE(rig.downloadManager->calls().first().timeoutMs, 15000);
    }
};

QTEST_MAIN(TestLmtSetupController)
#include "tst_LmtSetupController.moc"
