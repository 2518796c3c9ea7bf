#include "LmtScenarioScript.h"
#include "base/LmtLogLocation.h"
#include "base/LmtSettings.h"
#include "common/LmtFakeDownloadManager.h"
#include "common/LmtLoopbackHttpServer.h"
#include "common/LmtMessageBoxWatcher.h"
#include "common/LmtTestSupport.h"
#include "services/LmtDownloadManager.h"
#include "services/LmtDownloadSettings.h"
#include "services/LmtUpdateSiteCheck.h"
#include "services/LmtVendorSite.h"
#include "shared_toolkit/Log.h"
#include "ui/LmtPrefsDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <algorithm>
#include <memory>

using namespace zendrel::lmt::setup;
using namespace lmttest;
using zendrel::lmt::shared_toolkit::Log;

namespace {

// The dialog with the fields the tests use.
struct Prefs : LmtPrefsDialog {
    using LmtPrefsDialog::LmtPrefsDialog;
    QLineEdit *url = findChild<QLineEdit *>("m_editKorOnlineUrl");
    QLineEdit *logDir = findChild<QLineEdit *>("m_editLogDir");
    QCheckBox *check = findChild<QCheckBox *>("m_checkForUpdatesCheckBox");
    QDialogButtonBox *buttons = findChild<QDialogButtonBox *>("m_btnsOkCancelReset");

    void click(QDialogButtonBox::StandardButton which) { buttons->button(which)->click(); }
    // What it shows: URL, check box, log folder ("(fixed)": not editable).
    QString shown() const
    {
        return url->text() + (check->isChecked() ? " [x] " : " [ ] ") + logDir->text()
            + (logDir->isEnabled() ? "" : " (fixed)");
    }
};

} // namespace

// The dialog's steps are played from tests/data/ui/prefs-scenarios.txt, one dialog at a time,
// its message boxes answered; a probe that hangs is checked here.
class tst_LmtPrefsDialog : public QObject
{
    Q_OBJECT

    Sandbox m_sandbox;
    // An update site: /silent/ holds its answer until released, /good/ answers, others are missing.
    LoopbackHttpServer m_site { [](const HttpRequest &request) {
        HttpResponse response;
        response.body = "[]";
        response.status = request.target.startsWith("/missing/") ? 404 : 200;
        if (request.target.startsWith("/silent/"))
            response.delivery = HttpResponse::Delivery::WhenReleased;
        return response;
    } };
    std::shared_ptr<FakeDownloadManager> m_fake;
    std::unique_ptr<Prefs> m_dialog;
    std::unique_ptr<MessageBoxWatcher> m_boxes;
    int m_seenBoxes = 0;
    QString m_picked, m_picker, m_remembered;

    QString expand(QString text) const
    {
        return text.replace("@sandbox", m_sandbox.path())
            .replace("@temp", QDir::tempPath())
            .replace("@default", defaultOnlineRegistryUrl())
            .replace("@site", m_site.url(QString()).toString());
    }
    // The dialog's result, then what is stored: the registry URL, the update check, the logs.
    QString outcome(bool withResult = true) const
    {
        QStringList values;
        if (withResult)
            values << (m_dialog->result() == QDialog::Accepted ? "accepted" : "rejected");
        for (const char *key : { "LmtDownloadSettings/korOnlineUrl",
                 "LmtSetupSelfUpdater/CheckForUpdates", "LmtGeneralSettings/LogDir" })
            values << applicationSettings().value(key).toString();
        return values.join(' ');
    }
    // Makes the log live in directory, as start-up would have done.
    static void startLogIn(const QString &directory)
    {
        QDir().mkpath(directory);
        applicationSettings().setValue("LmtGeneralSettings/LogDir", directory);
        QVERIFY(restartLogIn(directory));
    }
    void act(const QString &step)
    {
        const QString verb = step.section(' ', 0, 0);
        const QString rest = expand(step.section(' ', 1));
        if (verb == "open") {
            m_dialog = std::make_unique<Prefs>(rest == "real"
                    ? std::shared_ptr<ILmtDownloadManager>(std::make_shared<LmtDownloadManager>())
                    : m_fake);
            m_dialog->setDirectoryPicker([this](QWidget *parent, const QString &title,
                                             const QString &start) {
                m_picker = title + " | " + start + (parent == m_dialog.get() ? " | dialog" : "");
                return m_picked;
            });
            m_dialog->show();
        } else if (verb == "setting")
            applicationSettings().setValue(rest.section(' ', 0, 0), rest.section(' ', 1));
        else if (verb == "logs")
            startLogIn(rest);
        else if (verb == "remember")
            m_remembered = Log::instance().fileName();
        else if (verb == "url")
            m_dialog->url->setText(rest);
        else if (verb == "untick")
            m_dialog->check->setChecked(false);
        else if (verb == "pick") {
            m_picked = rest;
            m_dialog->findChild<QPushButton *>("m_btnLogDir")->click();
        } else if (!verb.isEmpty()) {
            m_dialog->click(verb == "Ok" ? QDialogButtonBox::Ok
                    : verb == "Cancel"   ? QDialogButtonBox::Cancel
                                         : QDialogButtonBox::Reset);
            // The probe runs off the GUI thread.
            (void)QTest::qWaitFor([this] { return !m_dialog->isCheckingUrl(); }, 30000);
        }
    }
    bool holds(const QString &expected)
    {
        const QString what = expected.section(": ", 0, 0);
        const QString rest = expand(expected.section(": ", 1));
        const QString logFile = Log::instance().fileName();
        const auto probes = m_fake->calls();
        if (what == "box" && m_boxes->count() > m_seenBoxes) {
            return m_boxes->texts().mid(std::exchange(m_seenBoxes, m_boxes->count()))
                == QStringList { rest };
        }
        if (what == "probe" && probes.size() == 1) {
            m_fake->clearCalls();
            return probes[0].url == QUrl(rest) && probes[0].timeoutMs == UpdateSiteCheckTimeoutMs
                && probes[0].operation == FakeDownloadManager::Operation::GetWithoutToken;
        }
        if (what == "writes") {
            qCInfo(lmtLocal).noquote() << rest;
            Log::instance().flush();
            return readFile(logFile).contains(rest.toUtf8());
        }
        const auto requests = m_site.requests();
        const auto tokenless = [](const HttpRequest &r) { return !r.hasHeader("authorization"); };
        return what == "title"   ? m_dialog->windowTitle() == rest
            : what == "shown"    ? m_dialog->shown() == rest
            : what == "outcome"  ? outcome() == rest
            : what == "stored"   ? outcome(false) == rest
            : what == "requests" ? requests.size() == rest.toInt()
                && std::all_of(requests.begin(), requests.end(), tokenless)
            : what == "log in" ? QFile::exists(logFile)
                && logFile.startsWith(rest + "/tst_LmtPrefsDialog/tst_LmtPrefsDialog-")
            : what == "picker"              ? m_picker == rest
            : expected == "boxes- none"     ? m_boxes->count() == m_seenBoxes
            : expected == "probes- none"    ? probes.isEmpty()
            : expected == "critical"        ? m_boxes->icons().last() == QMessageBox::Critical
            : expected == "same log"        ? logFile == m_remembered
            : expected == "remembered kept" ? QFile::exists(m_remembered)
                                            : expected.startsWith("visible ")
                && m_dialog->isVisible() == (expected == "visible yes");
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(QDir::tempPath().startsWith(m_sandbox.path()));
        // Folders a picker may offer: below a plain file, one whose log sub-folder is a file.
        QVERIFY(writeFile(m_sandbox.filePath("plain-file"), "not a folder"));
        QVERIFY(writeFile(m_sandbox.filePath("logs-blocked/tst_LmtPrefsDialog"), "in the way"));
        QVERIFY(QDir().mkpath(m_sandbox.filePath("logs-new")));
    }

    void init()
    {
        for (const char *group : { "LmtDownloadSettings", "LmtSetupSelfUpdater" })
            applicationSettings().remove(group);
        startLogIn(m_sandbox.filePath("logs-start"));
        m_site.clearRequests();
        m_fake = std::make_shared<FakeDownloadManager>();
        m_boxes = std::make_unique<MessageBoxWatcher>();
        m_seenBoxes = 0;
    }
    void cleanup() { m_dialog.reset(); }

    void scenarios_data()
    {
        QTest::addColumn<QString>("section");
        for (const char *section : { "unchanged", "reset", "site check", "log folder" })
            QTest::newRow(section) << QString(section);
    }

    void scenarios()
    {
        QFETCH(QString, section);
        // The lines logged must reach the log file, not QtTest's own output.
        LogCapture capture;
        QCOMPARE(playScenario(
                     "ui/prefs-scenarios.txt", section, [this](const QString &s) { act(s); },
                     [this](const QString &s) { return holds(s); },
                     [this] { return m_dialog ? m_dialog->shown() + " " + outcome() : ""; }),
            QString());
    }

    void probeOfASilentSiteKeepsTheDialogAnsweringAndCanBeStopped_data()
    {
        QTest::addColumn<QString>("stop");
        // Closing the window ends in reject() as Escape does.
        for (const char *stop : { "Cancel", "Escape", "dialog destroyed" })
            QTest::newRow(stop) << QString::fromLatin1(stop);
    }

    void probeOfASilentSiteKeepsTheDialogAnsweringAndCanBeStopped()
    {
        QFETCH(QString, stop);
        auto manager = std::make_shared<LmtDownloadManager>();
        setKorOnlineUrl("http://127.0.0.1:9/before/");
        auto dialog = std::make_unique<Prefs>(manager);
        dialog->show();
        dialog->url->setText(m_site.url("/silent/").toString());
        // Probing, spinner shown, OK enabled.
        const auto busy = [&dialog] {
            return QList<bool> { dialog->isCheckingUrl(),
                dialog->findChild<QWidget *>("m_checkSpinner")->isVisible(),
                dialog->buttons->button(QDialogButtonBox::Ok)->isEnabled() };
        };

        QElapsedTimer sinceTick;
        qint64 longestPauseMs = 0;
        QTimer heartbeat;
        connect(&heartbeat, &QTimer::timeout,
            [&] { longestPauseMs = qMax(longestPauseMs, sinceTick.restart()); });
        sinceTick.start();
        heartbeat.start(5);
        dialog->click(QDialogButtonBox::Ok);
        dialog->click(QDialogButtonBox::Ok); // pressed twice: still one probe
        QTRY_COMPARE(m_site.requestCount(), 1);
        QTest::qWait(300);
        // The site holds its answer for good; before, the window waited for the 20 s time-out.
        QVERIFY2(longestPauseMs < 2000, qPrintable(QString::number(longestPauseMs)));
        QCOMPARE(busy(), (QList<bool> { true, true, false }));

        if (stop == "Cancel")
            dialog->click(QDialogButtonBox::Cancel);
        else if (stop == "Escape")
            QTest::keyClick(dialog.get(), Qt::Key_Escape);
        else
            dialog.reset();
        // Back to editing: the probe is gone, the dialog stays open for another try.
        QVERIFY(!dialog || dialog->isVisible());
        QVERIFY(!dialog || busy() == (QList<bool> { false, false, true }));
        // The request was ended, so the HTTP client is free again at once.
        QTRY_VERIFY_WITH_TIMEOUT(
            failureOf([&] { manager->getData(m_site.url("/good/"), nullptr, 5000); }).isEmpty(),
            5000);
        m_site.releaseHeld();
        QTest::qWait(100);
        QCOMPARE(m_boxes->count(), 0);
        QCOMPARE(korOnlineUrl(), QString("http://127.0.0.1:9/before/"));
    }
};

QTEST_MAIN(tst_LmtPrefsDialog)
#include "tst_LmtPrefsDialog.moc"
