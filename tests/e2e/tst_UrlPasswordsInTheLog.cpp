// Every place that logs a URL, given an update site and package addresses that carry a user
// name and a password: the log file names the URL with its user name but without the password,
// and no text shown to the user holds the password either. The launcher service rows run the
// real kor-launcher-service, which echoes the registry URL it was given when it cannot read it.

#include "base/LmtLogLocation.h"
#include "common/LmtFakeServices.h"
#include "common/LmtLoopbackHttpServer.h"
#include "common/LmtMessageBoxWatcher.h"
#include "common/LmtTableRows.h"
#include "controller/LmtSetupController.h"
#include "e2e/LmtStandInPair.h"
#include "registry/LmtOnlineRegistryParser.h"
#include "services/LmtDownloadManager.h"
#include "services/LmtLauncherServiceConnector.h"
#include "services/LmtProcessHandle.h"
#include "shared_toolkit/UrlRedaction.h"
#include "ui/LmtPrefsDialog.h"
#include "views/LmtToolLinksCell.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace zendrel::lmt::setup;

namespace {

const QString Password = QStringLiteral("S3cret-pw");
const QString Tool = QStringLiteral("com.zdr.tb.tool.demo");
const int TimeoutMs = 60000;

} // namespace

class TestUrlPasswordsInTheLog : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;
    // The update site: the registry at /api/v1/tools/, nothing anywhere else.
    lmttest::LoopbackHttpServer m_site;
    // The launcher service the rows run; the vendor stand-in beside it is not asked.
    lmttest::StandInPair m_standIns;

    QString siteUrl(const QString &path, bool withPassword = true) const
    {
        return QStringLiteral("http://jo%1@127.0.0.1:%2%3")
            .arg(withPassword ? ":" + Password : QString())
            .arg(m_site.port())
            .arg(path);
    }

    // A connector on the running kor-launcher-service.
    static std::unique_ptr<LmtLauncherServiceConnector> startedConnector()
    {
        auto connector
            = std::make_unique<LmtLauncherServiceConnector>(std::make_shared<LmtDownloadManager>());
        connector->setStartupPause(std::chrono::milliseconds(0));
        connector->start();
        return connector;
    }

    static QStringList waitFor(const std::shared_ptr<LmtProcessHandle> &handle)
    {
        QSignalSpy finished(handle.get(), &LmtProcessHandle::finished);
        return { finished.wait(TimeoutMs) ? finished.first().at(1).toString() : "did not finish" };
    }

    // Every text a place that logs url showed the user.
    QStringList run(const QString &place, const QString &url)
    {
        QStringList shown;
        QObject context;
        const auto collect = [&shown](const QString &text) { shown << text; };
        if (place == "parse") {
            LmtOnlineRegistryParser parser(
                std::make_shared<LmtDownloadManager>(), std::make_shared<LmtCoreToolModel>());
            connect(&parser,
                qOverload<QString, ConsoleMessageType>(&ILmtRegistryParser::appendUILog), &context,
                collect);
            parser.parse();
        } else if (place == "download") {
            shown = waitFor(startedConnector()->downloadTool(Tool, "1.0.0.1"));
        } else if (place == "install") {
            shown = waitFor(
                startedConnector()->installTool(Tool, "1.0.0.1", { "--", "/verysilent" }));
        } else if (place == "checkUpdate") {
            QString newVersion;
            shown << lmttest::failureOf(
                [&] { startedConnector()->checkForUpdate(Tool, newVersion); });
        } else if (place == "store") {
            LmtPrefsDialog dialog(std::make_shared<LmtDownloadManager>());
            dialog.show();
            lmttest::MessageBoxWatcher boxes;
            dialog.findChild<QLineEdit *>("m_editKorOnlineUrl")->setText(url);
            dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
            // The site is probed off the GUI thread.
            if (!QTest::qWaitFor([&dialog] { return !dialog.isCheckingUrl(); }, TimeoutMs))
                return { "no answer" };
            shown = boxes.texts();
        } else if (place == "request") {
            lmttest::FakeServices services;
            const auto controller = services.makeController();
            connect(controller.get(), &LmtSetupController::releaseNotesOrLicenseDataReady, &context,
                collect);
            QMetaObject::invokeMethod(
                controller.get(), "getReleaseNotesOrLicenseData", Q_ARG(QString, url));
            if (!QTest::qWaitFor([&] { return !shown.isEmpty(); }, TimeoutMs))
                shown << "no answer";
        } else if (place == "open") {
            LmtToolLinksCell cell(LmtToolLinksData { "Demo", "1.0.0.1", url, {} });
            // The document dialog is modal: closed as soon as it runs.
            QTimer::singleShot(0, [] {
                if (QWidget *dialog = QApplication::activeModalWidget())
                    dialog->close();
            });
            cell.findChild<QPushButton *>("lblReleaseNotes")->click();
        }
        return shown;
    }

private Q_SLOTS:
    void initTestCase()
    {
        registerMetaTypes();
        const QByteArray registry
            = lmttest::fixture("e2e/one-tool-registry.json")
                  .replace("{packageUrl}", siteUrl("/files/demo-1.0.0.1.sh").toUtf8());
        m_site.setHandler([registry](const lmttest::HttpRequest &request) {
            return request.target.startsWith("/api/v1/tools/")
                ? lmttest::HttpResponse { 200, registry, {} }
                : lmttest::HttpResponse { 404, {}, {} };
        });
        QVERIFY(QDir().mkpath(m_sandbox.filePath("logs")));
        QVERIFY(restartLogIn(m_sandbox.filePath("logs")));
        // Debug lines included: no level may show the password.
        QLoggingCategory::setFilterRules(QStringLiteral("LOCAL.debug=true"));

        QCOMPARE(m_standIns.start(), QString());
    }

    // The password ends at the last '@' before the path; nothing else in the text changes.
    void textsLoseOnlyTheirUrlPasswords_data() { lmttest::rowsFrom("e2e/url-passwords.json"); }
    void textsLoseOnlyTheirUrlPasswords()
    {
        QFETCH(QJsonObject, row);
        QCOMPARE(zendrel::lmt::shared_toolkit::withoutUrlPasswords(row["text"].toString()),
            row["shown"].toString());
    }

    void urlsAreLoggedWithoutTheirPassword_data()
    {
        lmttest::rowsFrom("e2e/url-logging-places.txt", { "site", "place", "path", "logged" });
    }
    void urlsAreLoggedWithoutTheirPassword()
    {
        QFETCH(QString, site);
        QFETCH(QString, place);
        QFETCH(QString, path);
        QFETCH(QString, logged);
        setKorOnlineUrl(siteUrl(site));

        lmttest::LogCapture capture; // makes the log the message handler again
        auto &log = zendrel::lmt::shared_toolkit::Log::instance();
        const QString logFile = log.fileName();
        log.flush();
        const qsizetype before = lmttest::readFile(logFile).size();
        const QStringList shown = run(place, siteUrl(path));
        log.flush();
        const QString written = QString::fromUtf8(lmttest::readFile(logFile).mid(before));

        QVERIFY2(
            written.contains(logged.replace("{url}", siteUrl(path, false))), qPrintable(written));
        QVERIFY2(!written.contains(Password), qPrintable(written));
        for (const QString &text : shown)
            QVERIFY2(!text.contains(Password), qPrintable(text));
    }
};

QTEST_MAIN(TestUrlPasswordsInTheLog)
#include "tst_UrlPasswordsInTheLog.moc"
