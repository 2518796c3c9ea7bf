#include "base/LmtLogLocation.h"
#include "base/LmtSettings.h"
#include "common/LmtFakeDownloadManager.h"
#include "common/LmtLoopbackHttpServer.h"
#include "common/LmtMessageBoxWatcher.h"
#include "common/LmtTableRows.h"
#include "common/LmtTestSupport.h"
#include "services/LmtDownloadManager.h"
#include "services/LmtDownloadSettings.h"
#include "services/LmtUpdateSiteCheck.h"
#include "services/LmtVendorSite.h"
#include "shared_toolkit/Log.h"
#include "ui/LmtPrefsDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

#include <memory>

using namespace zendrel::lmt::setup;
using zendrel::lmt::shared_toolkit::Log;

namespace {

QString storedLogDir()
{
    return applicationSettings().value("LmtGeneralSettings/LogDir").toString();
}
// What is stored: the registry URL, the update check and the log folder.
QString stored()
{
    return QStringList(
        { applicationSettings().value("LmtDownloadSettings/korOnlineUrl").toString(),
            applicationSettings().value("LmtSetupSelfUpdater/CheckForUpdates").toString(),
            storedLogDir() })
        .join(' ');
}

// The dialog with the fields the tests use.
struct Prefs : LmtPrefsDialog {
    using LmtPrefsDialog::LmtPrefsDialog;
    QLineEdit *url = findChild<QLineEdit *>("m_editKorOnlineUrl");
    QLineEdit *logDir = findChild<QLineEdit *>("m_editLogDir");
    QCheckBox *check = findChild<QCheckBox *>("m_checkForUpdatesCheckBox");
    QDialogButtonBox *buttons = findChild<QDialogButtonBox *>("m_btnsOkCancelReset");

    void click(QDialogButtonBox::StandardButton which) { buttons->button(which)->click(); }
    // Presses a button (for OK and a URL edit, waits for its probe, which runs off the GUI
    // thread); then the dialog's result and what is stored.
    QString press(QDialogButtonBox::StandardButton which = QDialogButtonBox::Ok)
    {
        click(which);
        (void)QTest::qWaitFor([this] { return !isCheckingUrl(); }, 30000);
        return (result() == QDialog::Accepted ? "accepted " : "rejected ") + stored();
    }
    // What it shows: URL, check box, log folder ("(fixed)": not editable).
    QString shown() const
    {
        return url->text() + (check->isChecked() ? " [x] " : " [ ] ") + logDir->text()
            + (logDir->isEnabled() ? "" : " (fixed)");
    }
};

} // namespace

class tst_LmtPrefsDialog : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;
    std::shared_ptr<lmttest::FakeDownloadManager> m_fake
        = std::make_shared<lmttest::FakeDownloadManager>();

    // Makes the log live in directory, as start-up would have done.
    void startLogIn(const QString &directory)
    {
        QDir().mkpath(directory);
        applicationSettings().setValue("LmtGeneralSettings/LogDir", directory);
        QVERIFY(restartLogIn(directory));
    }
    // Logs line and tells whether it reached file.
    static bool logged(const QString &file, const char *line)
    {
        qCInfo(lmtLocal) << line;
        Log::instance().flush();
        return lmttest::readFile(file).contains(line);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(QDir::tempPath().startsWith(m_sandbox.path()));
        startLogIn(m_sandbox.filePath("logs-start"));
    }

    void okWithoutChangesIsRejectedResetRestoresDefaults()
    {
        const QString logs = m_sandbox.filePath("logs-start");
        m_fake->clearCalls();
        m_fake->replyWith("[]");
        lmttest::MessageBoxWatcher boxes;
        Prefs dialog(m_fake);
        // A check box never stored reads as ticked.
        QCOMPARE(dialog.windowTitle() + ": " + dialog.shown(),
            "Preferences: " + defaultOnlineRegistryUrl() + " [x] " + logs
                + "/tst_LmtPrefsDialog (fixed)");
        QCOMPARE(dialog.press(), "rejected  true " + logs);

        // Unticking alone is stored, yet still no refresh is asked for.
        Prefs second(m_fake);
        second.check->setChecked(false);
        QCOMPARE(second.press(), "rejected  false " + logs);

        // Cancel keeps everything, even a typed URL.
        setKorOnlineUrl("http://127.0.0.1:9/kept/");
        Prefs third(m_fake);
        QCOMPARE(
            third.shown(), "http://127.0.0.1:9/kept/ [ ] " + logs + "/tst_LmtPrefsDialog (fixed)");
        third.url->setText("http://127.0.0.1:9/typed/");
        QCOMPARE(third.press(QDialogButtonBox::Cancel),
            "rejected http://127.0.0.1:9/kept/ false " + logs);
        // Nothing was validated.
        QCOMPARE(boxes.count() + m_fake->calls().size(), 0);

        // Reset restores the defaults, and OK accepts them.
        const QString custom = m_sandbox.filePath("logs-custom");
        const QString temp = QDir::tempPath();
        startLogIn(custom);
        const QString customLogFile = Log::instance().fileName();
        setKorOnlineUrl("http://127.0.0.1:9/custom/");
        Prefs fourth(m_fake);
        QCOMPARE(fourth.logDir->text(), custom + "/tst_LmtPrefsDialog");
        fourth.click(QDialogButtonBox::Reset);
        QCOMPARE(fourth.shown(),
            defaultOnlineRegistryUrl() + " [x] " + temp + "/tst_LmtPrefsDialog (fixed)");
        // The log moved to the temporary directory at once, before OK; the old file stays.
        QCOMPARE(stored(), "http://127.0.0.1:9/custom/ false " + temp);
        QVERIFY(Log::instance().fileName().startsWith(temp + "/tst_LmtPrefsDialog/"));
        QVERIFY(QFile::exists(Log::instance().fileName()) && QFile::exists(customLogFile));
        QVERIFY(m_fake->calls().isEmpty());

        QCOMPARE(fourth.press(), "accepted " + defaultOnlineRegistryUrl() + " true " + temp);
        QCOMPARE(m_fake->calls().size(), 1);
        const auto probe = m_fake->calls().first();
        QCOMPARE(probe.url, QUrl(defaultOnlineRegistryUrl()));
        QVERIFY(probe.operation == lmttest::FakeDownloadManager::Operation::GetWithoutToken);
        QCOMPARE(probe.timeoutMs, UpdateSiteCheckTimeoutMs);

        // The field already shows the default now, so Reset changes no text: it must count as
        // an edit all the same, be checked again and be Accepted.
        const QString logFile = Log::instance().fileName();
        m_fake->clearCalls();
        Prefs again(m_fake);
        again.click(QDialogButtonBox::Reset);
        QCOMPARE(Log::instance().fileName(), logFile); // already in the temporary directory
        QVERIFY(again.press().startsWith("accepted "));
        QCOMPARE(m_fake->calls().size(), 1);
    }

    void urlEditIsStoredOnlyWhenTheSiteAnswers()
    {
        lmttest::LoopbackHttpServer server([](const lmttest::HttpRequest &request) {
            lmttest::HttpResponse response;
            response.body = "[]";
            if (!request.target.startsWith("/good/"))
                response.status = 404;
            return response;
        });
        setKorOnlineUrl("http://127.0.0.1:9/before/");
        applicationSettings().setValue("LmtSetupSelfUpdater/CheckForUpdates", true);
        const QString bad = server.url("/missing/").toString();
        const QString good = server.url("/good/").toString();

        Prefs dialog(std::make_shared<LmtDownloadManager>());
        dialog.show();
        lmttest::MessageBoxWatcher boxes;
        dialog.check->setChecked(false);
        dialog.url->setText(bad);
        // What was stored before the failing step stays stored.
        QCOMPARE(dialog.press().section(' ', 0, 2), "rejected http://127.0.0.1:9/before/ false");
        QCOMPARE(boxes.count(), 1);
        QVERIFY2(boxes.lastText().startsWith(
                     QString("Unable to access update site URL '%1'. ").arg(bad)),
            qPrintable(boxes.lastText()));
        QVERIFY(!boxes.lastText().endsWith("Try again later."));
        QCOMPARE(boxes.icons().last(), QMessageBox::Critical);
        QVERIFY(dialog.isVisible()); // kept open for a correction

        dialog.url->setText(good);
        QCOMPARE(dialog.press().section(' ', 0, 1), "accepted " + good);
        QVERIFY(!dialog.isVisible() && boxes.count() == 1);
        QCOMPARE(server.requestCount(), 2);
        // Probed without any token.
        QVERIFY(!server.requests().last().hasHeader("authorization"));
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
        lmttest::LoopbackHttpServer server([](const lmttest::HttpRequest &request) {
            lmttest::HttpResponse response;
            response.body = "[]";
            if (request.target.startsWith("/silent/"))
                response.delivery = lmttest::HttpResponse::Delivery::WhenReleased;
            return response;
        });
        auto manager = std::make_shared<LmtDownloadManager>();
        setKorOnlineUrl("http://127.0.0.1:9/before/");
        auto dialog = std::make_unique<Prefs>(manager);
        dialog->show();
        lmttest::MessageBoxWatcher boxes;
        dialog->url->setText(server.url("/silent/").toString());
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
        QTRY_COMPARE(server.requestCount(), 1);
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
        QTRY_VERIFY_WITH_TIMEOUT(lmttest::failureOf([&] {
            manager->getData(server.url("/good/"), nullptr, 5000);
        }).isEmpty(),
            5000);
        server.releaseHeld();
        QTest::qWait(100);
        QCOMPARE(boxes.count(), 0);
        QCOMPARE(korOnlineUrl(), QString("http://127.0.0.1:9/before/"));
    }

    void chosenLogFolderIsValidatedAndTakesTheLogAtOnce_data()
    {
        lmttest::rowsFrom("ui/refused-log-folders.txt", { "refused", "message" });
    }

    void chosenLogFolderIsValidatedAndTakesTheLogAtOnce()
    {
        QFETCH(QString, refused);
        QFETCH(QString, message);
        refused = QDir(m_sandbox.path()).filePath(refused);
        lmttest::writeFile(m_sandbox.filePath("plain-file"), "not a folder");
        lmttest::writeFile(m_sandbox.filePath("logs-blocked/tst_LmtPrefsDialog"), "in the way");
        const QString earlier = m_sandbox.filePath("logs-before");
        startLogIn(earlier);
        const QString before = Log::instance().fileName();

        // The lines logged below must reach the log file, not QtTest's own output.
        lmttest::LogCapture capture;
        QString picked;
        QStringList pickerCalls;
        Prefs dialog(m_fake);
        dialog.setDirectoryPicker([&](QWidget *parent, const QString &title, const QString &start) {
            pickerCalls << title << start << QString::number(parent == &dialog);
            return picked;
        });
        dialog.show();
        lmttest::MessageBoxWatcher boxes;
        auto *browse = dialog.findChild<QPushButton *>("m_btnLogDir");

        // Nothing picked: nothing changes.
        browse->click();
        QCOMPARE(pickerCalls, QStringList({ "Select Logs Directory", earlier, "1" }));
        QCOMPARE(dialog.logDir->text(), earlier + "/tst_LmtPrefsDialog");

        // Refused: the dialog stays open, the run keeps logging into its file, nothing is stored.
        picked = refused;
        browse->click();
        QCOMPARE(dialog.logDir->text(), picked + "/tst_LmtPrefsDialog");
        dialog.click(QDialogButtonBox::Ok);
        QCOMPARE(boxes.texts(), QStringList { message.arg(picked) });
        QVERIFY(dialog.isVisible());
        QCOMPARE(storedLogDir(), earlier);
        QCOMPARE(Log::instance().fileName(), before);
        QVERIFY(logged(before, "still logging into the old file"));

        // A good new folder: stored, and the next line is already written there.
        picked = m_sandbox.filePath("logs-new");
        QDir().mkpath(picked);
        browse->click();
        // No URL edit: no refresh.
        const QString outcome = dialog.press();
        QVERIFY(outcome.startsWith("rejected ") && boxes.count() == 1);
        QCOMPARE(outcome.section(' ', 3), picked);
        const QString now = Log::instance().fileName();
        QVERIFY2(
            now.startsWith(picked + "/tst_LmtPrefsDialog/tst_LmtPrefsDialog-"), qPrintable(now));
        QVERIFY(logged(now, "first line in the new folder"));
        QVERIFY(QFile::exists(before)); // the old file stays where it was
    }
};

QTEST_MAIN(tst_LmtPrefsDialog)
#include "tst_LmtPrefsDialog.moc"
