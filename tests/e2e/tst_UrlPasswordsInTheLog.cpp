// Every place that logs a URL, given an update site and package addresses that carry a user
// name and a password: the log file names the URL with its user name but without the password,
// and no text shown to the user holds the password either. The launcher service rows run the
// real kor-launcher-service, which echoes the registry URL it was given when it cannot read it.

#include "base/LmtLogLocation.h"
#include "common/LmtFakeServices.h"
#include "common/LmtLoopbackHttpServer.h"
#include "common/LmtMessageBoxWatcher.h"
#include "common/LmtStandIns.h"
#include "common/LmtTableRows.h"
#include "common/LmtTestSupport.h"
#include "controller/LmtSetupController.h"
#include "registry/LmtOnlineRegistryParser.h"
#include "services/LmtDownloadManager.h"
#include "services/LmtDownloadSettings.h"
#include "services/LmtLauncherServiceConnector.h"
#include "services/LmtProcessHandle.h"
#include "shared_toolkit/UrlRedaction.h"
#include "ui/LmtPrefsDialog.h"
#include "views/LmtToolLinksCell.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <functional>

using namespace zendrel::lmt::setup;

namespace {

const QString Password = QStringLiteral("S3cret-pw");
const QString Tool = QStringLiteral("com.zdr.tb.tool.demo");
const int TimeoutMs = 60000;

// One place that logs a URL: it is exercised with the update site at sitePath and returns
// every text it showed the user.
struct Place {
    QString sitePath;
    std::function<QStringList()> run;
};

} // namespace

Q_DECLARE_METATYPE(Place)

class TestUrlPasswordsInTheLog : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;
    // The update site: the registry at /api/v1/tools/, nothing anywhere else.
    lmttest::LoopbackHttpServer m_site;
    QString m_launcher;

    QString siteUrl(const QString &path, bool withPassword = true) const
    {
        return QStringLiteral("http://jo%1@127.0.0.1:%2%3")
            .arg(withPassword ? ":" + Password : QString())
            .arg(m_site.port())
            .arg(path);
    }

    QByteArray registry() const
    {
        return lmttest::fixture("e2e/one-tool-registry.json")
            .replace("{packageUrl}", siteUrl("/files/demo-1.0.0.1.sh").toUtf8());
    }

    // A connector on the running kor-launcher-service.
    std::unique_ptr<LmtLauncherServiceConnector> startedConnector()
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
        if (!finished.wait(TimeoutMs))
            return { QStringLiteral("did not finish") };
        return { finished.first().at(1).toString() };
    }

    QStringList parseOnlineRegistry()
    {
        LmtOnlineRegistryParser parser(
            std::make_shared<LmtDownloadManager>(), std::make_shared<LmtCoreToolModel>());
        QStringList shown;
        connect(&parser, qOverload<QString, ConsoleMessageType>(&ILmtRegistryParser::appendUILog),
            this, [&shown](const QString &text) { shown << text; });
        parser.parse();
        return shown;
    }

    QStringList storeUpdateSite(const QString &url)
    {
        LmtPrefsDialog dialog(std::make_shared<LmtDownloadManager>());
        dialog.show();
        lmttest::MessageBoxWatcher boxes;
        dialog.findChild<QLineEdit *>("m_editKorOnlineUrl")->setText(url);
        dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
        // The site is probed off the GUI thread.
        if (!QTest::qWaitFor([&dialog] { return !dialog.isCheckingUrl(); }, TimeoutMs))
            return { QStringLiteral("no answer") };
        return boxes.texts();
    }

    QStringList requestDocument(const QString &url)
    {
        lmttest::FakeServices services;
        const auto controller = services.makeController();
        QStringList shown;
        QObject context;
        connect(controller.get(), &LmtSetupController::releaseNotesOrLicenseDataReady, &context,
            [&shown](const QString &text) { shown << text; });
        QMetaObject::invokeMethod(
            controller.get(), "getReleaseNotesOrLicenseData", Q_ARG(QString, url));
        if (!QTest::qWaitFor([&] { return !shown.isEmpty(); }, TimeoutMs))
            shown << QStringLiteral("no answer");
        return shown;
    }

    static QStringList openDocumentLink(const QString &url)
    {
        LmtToolLinksCell cell(LmtToolLinksData { "Demo", "1.0.0.1", url, {} });
        // The document dialog is modal: closed as soon as it runs.
        QTimer::singleShot(0, [] {
            if (QWidget *dialog = QApplication::activeModalWidget())
                dialog->close();
        });
        cell.findChild<QPushButton *>("lblReleaseNotes")->click();
        return {};
    }

private Q_SLOTS:
    void initTestCase()
    {
        registerMetaTypes();
        m_site.setHandler([this](const lmttest::HttpRequest &request) {
            lmttest::HttpResponse response;
            if (request.target.startsWith("/api/v1/tools/"))
                response.body = registry();
            else
                response.status = 404;
            return response;
        });
        QVERIFY(QDir().mkpath(m_sandbox.filePath("logs")));
        QVERIFY(restartLogIn(m_sandbox.filePath("logs")));
        // Debug lines included: no level may show the password.
        QLoggingCategory::setFilterRules(QStringLiteral("LOCAL.debug=true"));

        m_launcher = lmttest::installLauncherService();
        QVERIFY2(!m_launcher.isEmpty(), "kor-launcher-service has not been built");
        QCOMPARE(lmttest::runLauncherService(m_launcher), 0);
    }

    void cleanupTestCase()
    {
        if (!m_launcher.isEmpty())
            lmttest::runLauncherService(m_launcher, { QStringLiteral("-stop") });
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
        QTest::addColumn<Place>("place");
        QTest::addColumn<QString>("logged");

        const QString registry = QStringLiteral("/api/v1/tools/");
        const QString broken = QStringLiteral("/broken/");
        const auto shown = [this](const QString &path) { return siteUrl(path, false); };
        QTest::newRow("online registry request")
            << Place { registry, [this] { return parseOnlineRegistry(); } }
            << "Requesting online tool data from Url: " + shown(registry) + "?dependencies=true";
        QTest::newRow("package of the online registry")
            << Place { registry, [this] { return parseOnlineRegistry(); } }
            << "Add package, url: " + shown("/files/demo-1.0.0.1.sh");
        QTest::newRow("download by the launcher service") << Place {
            broken, [this] { return waitFor(startedConnector()->downloadTool(Tool, "1.0.0.1")); }
        } << "Cannot read the registry " + shown(broken) + "?dependencies=true";
        QTest::newRow("installation by the launcher service")
            << Place { broken,
                   [this] {
                       return waitFor(startedConnector()->installTool(
                           Tool, "1.0.0.1", { "--", "/verysilent" }));
                   } }
            << "installerArgs: -kor.service installOnly " + Tool + ":1.0.0.1 " + shown(broken)
                + " -- /verysilent";
        QTest::newRow("update check by the launcher service") << Place { broken,
            [this] {
                QString newVersion;
                return QStringList { lmttest::failureOf(
                    [&] { startedConnector()->checkForUpdate(Tool, newVersion); }) };
            } } << "-kor.service checkUpdate " + Tool + " " + shown(broken) + " -silent";
        QTest::newRow("update site that does not answer")
            << Place { registry, [this] { return storeUpdateSite(siteUrl("/missing/")); } }
            << "Unable to access update site URL '" + shown("/missing/") + "'";
        QTest::newRow("update site stored")
            << Place { broken, [this, registry] { return storeUpdateSite(siteUrl(registry)); } }
            << "Update site URL stored: " + shown(registry);
        QTest::newRow("document fetched by the controller")
            << Place { registry, [this] { return requestDocument(siteUrl("/notes/")); } }
            << "getReleaseNotesOrLicenseData(), " + shown("/notes/");
        QTest::newRow("document link")
            << Place { registry, [this] { return openDocumentLink(siteUrl("/notes/")); } }
            << "Document requested: " + shown("/notes/");
    }

    void urlsAreLoggedWithoutTheirPassword()
    {
        QFETCH(Place, place);
        QFETCH(QString, logged);
        setKorOnlineUrl(siteUrl(place.sitePath));

        lmttest::LogCapture capture; // makes the log the message handler again
        auto &log = zendrel::lmt::shared_toolkit::Log::instance();
        const QString logFile = log.fileName();
        log.flush();
        const qsizetype before = lmttest::readFile(logFile).size();
        const QStringList shown = place.run();
        log.flush();
        const QString written = QString::fromUtf8(lmttest::readFile(logFile).mid(before));

        QVERIFY2(written.contains(logged), qPrintable(written));
        QVERIFY2(!written.contains(Password), qPrintable(written));
        for (const QString &text : shown)
            QVERIFY2(!text.contains(Password), qPrintable(text));
    }
};

QTEST_MAIN(TestUrlPasswordsInTheLog)
#include "tst_UrlPasswordsInTheLog.moc"
