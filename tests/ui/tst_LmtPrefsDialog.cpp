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
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

#include <memory>

using namespace zendrel::lmt::setup;
using zendrel::lmt::shared_toolkit::Log;

class tst_LmtPrefsDialog : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;
    std::shared_ptr<lmttest::FakeDownloadManager> m_fake
        = std::make_shared<lmttest::FakeDownloadManager>();

    static QVariant setting(const QString &group, const QString &key)
    {
        return applicationSettings().value(group + "/" + key);
    }
    static void setSetting(const QString &group, const QString &key, const QVariant &value)
    {
        applicationSettings().setValue(group + "/" + key, value);
    }
    static QString storedLogDir() { return setting("LmtGeneralSettings", "LogDir").toString(); }

    static void click(LmtPrefsDialog &dialog, QDialogButtonBox::StandardButton which)
    {
        dialog.findChild<QDialogButtonBox *>("m_btnsOkCancelReset")->button(which)->click();
    }
    // OK, and for a URL edit the wait for its probe, which runs off the GUI thread.
    static void clickOk(LmtPrefsDialog &dialog)
    {
        click(dialog, QDialogButtonBox::Ok);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.isCheckingUrl(), 30000);
    }
    static QLineEdit *urlEdit(LmtPrefsDialog &dialog)
    {
        return dialog.findChild<QLineEdit *>("m_editKorOnlineUrl");
    }
    static QLineEdit *logDirEdit(LmtPrefsDialog &dialog)
    {
        return dialog.findChild<QLineEdit *>("m_editLogDir");
    }
    static QCheckBox *checkBox(LmtPrefsDialog &dialog)
    {
        return dialog.findChild<QCheckBox *>("m_checkForUpdatesCheckBox");
    }
    // Makes the log live in directory, as start-up would have done.
    void startLogIn(const QString &directory)
    {
        QDir().mkpath(directory);
        setSetting("LmtGeneralSettings", "LogDir", directory);
        QVERIFY(restartLogIn(directory));
    }
    // Logs line and tells whether it reached file.
    static bool logged(const QString &file, const char *line)
    {
        qCInfo(lmtLocal) << line;
        Log::instance().flush();
        return lmttest::readFile(file).contains(line);
    }
    static QString tempDir() { return QDir::tempPath(); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(QDir::tempPath().startsWith(m_sandbox.path()));
        startLogIn(m_sandbox.filePath("logs-start"));
    }

    void okWithoutChangesIsRejectedButStoresTheCheckBox()
    {
        m_fake->clearCalls();
        m_fake->replyWith("[]");
        LmtPrefsDialog dialog(m_fake);
        QCOMPARE(dialog.windowTitle(), QString("Preferences"));
        QCOMPARE(urlEdit(dialog)->text(), defaultOnlineRegistryUrl());
        QVERIFY(checkBox(dialog)->isChecked()); // never written reads as true
        QCOMPARE(
            logDirEdit(dialog)->text(), m_sandbox.filePath("logs-start") + "/tst_LmtPrefsDialog");
        QVERIFY(!logDirEdit(dialog)->isEnabled());

        lmttest::MessageBoxWatcher boxes;
        click(dialog, QDialogButtonBox::Ok);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(boxes.count(), 0);
        QVERIFY(m_fake->calls().isEmpty()); // nothing to validate
        QCOMPARE(setting("LmtSetupSelfUpdater", "CheckForUpdates").toBool(), true);

        // Unticking alone is stored, yet still no refresh is asked for.
        LmtPrefsDialog second(m_fake);
        checkBox(second)->setChecked(false);
        click(second, QDialogButtonBox::Ok);
        QCOMPARE(second.result(), int(QDialog::Rejected));
        QCOMPARE(setting("LmtSetupSelfUpdater", "CheckForUpdates").toBool(), false);
        QVERIFY(m_fake->calls().isEmpty());

        // Cancel keeps everything, even a typed URL.
        setKorOnlineUrl("http://127.0.0.1:9/kept/");
        LmtPrefsDialog third(m_fake);
        QCOMPARE(urlEdit(third)->text(), QString("http://127.0.0.1:9/kept/"));
        QVERIFY(!checkBox(third)->isChecked());
        urlEdit(third)->setText("http://127.0.0.1:9/typed/");
        click(third, QDialogButtonBox::Cancel);
        QCOMPARE(third.result(), int(QDialog::Rejected));
        QCOMPARE(korOnlineUrl(), QString("http://127.0.0.1:9/kept/"));
        QVERIFY(m_fake->calls().isEmpty());
    }

    void resetRestoresDefaultsAndOkAcceptsThem()
    {
        const QString custom = m_sandbox.filePath("logs-custom");
        startLogIn(custom);
        const QString customLogFile = Log::instance().fileName();
        setKorOnlineUrl("http://127.0.0.1:9/custom/");
        setSetting("LmtSetupSelfUpdater", "CheckForUpdates", false);
        m_fake->clearCalls();
        m_fake->replyWith("[]");

        LmtPrefsDialog dialog(m_fake);
        QCOMPARE(logDirEdit(dialog)->text(), custom + "/tst_LmtPrefsDialog");
        click(dialog, QDialogButtonBox::Reset);
        QCOMPARE(urlEdit(dialog)->text(), defaultOnlineRegistryUrl());
        QVERIFY(checkBox(dialog)->isChecked());
        // The log moved to the temporary directory at once, before OK.
        QCOMPARE(storedLogDir(), tempDir());
        QVERIFY(Log::instance().fileName().startsWith(tempDir() + "/tst_LmtPrefsDialog/"));
        QVERIFY(QFile::exists(Log::instance().fileName()));
        QVERIFY(QFile::exists(customLogFile));
        QCOMPARE(logDirEdit(dialog)->text(), tempDir() + "/tst_LmtPrefsDialog");
        QVERIFY(m_fake->calls().isEmpty());

        clickOk(dialog);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(m_fake->calls().size(), 1);
        QCOMPARE(m_fake->calls().first().url, QUrl(defaultOnlineRegistryUrl()));
        QVERIFY(m_fake->calls().first().operation
            == lmttest::FakeDownloadManager::Operation::GetWithoutToken);
        QCOMPARE(m_fake->calls().first().timeoutMs, UpdateSiteCheckTimeoutMs);
        QCOMPARE(
            setting("LmtDownloadSettings", "korOnlineUrl").toString(), defaultOnlineRegistryUrl());
        QCOMPARE(setting("LmtSetupSelfUpdater", "CheckForUpdates").toBool(), true);

        // The field already shows the default now, so Reset changes no text: it must count as
        // an edit all the same, be checked again and be Accepted.
        const QString logFile = Log::instance().fileName();
        m_fake->clearCalls();
        LmtPrefsDialog again(m_fake);
        click(again, QDialogButtonBox::Reset);
        QCOMPARE(Log::instance().fileName(), logFile); // already in the temporary directory
        clickOk(again);
        QCOMPARE(again.result(), int(QDialog::Accepted));
        QCOMPARE(m_fake->calls().size(), 1);
    }

    void urlEditIsStoredOnlyWhenTheSiteAnswers()
    {
        lmttest::LoopbackHttpServer server([](const lmttest::HttpRequest &request) {
            lmttest::HttpResponse response;
            if (request.target.startsWith("/good/"))
                response.body = "[]";
            else
                response.status = 404;
            return response;
        });
        auto manager = std::make_shared<LmtDownloadManager>();
        setKorOnlineUrl("http://127.0.0.1:9/before/");
        const QString bad = server.url("/missing/").toString();
        const QString good = server.url("/good/").toString();

        LmtPrefsDialog dialog(manager);
        dialog.show();
        lmttest::MessageBoxWatcher boxes;
        setSetting("LmtSetupSelfUpdater", "CheckForUpdates", true);
        checkBox(dialog)->setChecked(false);
        urlEdit(dialog)->setText(bad);
        clickOk(dialog);
        QCOMPARE(boxes.count(), 1);
        QVERIFY2(boxes.lastText().startsWith(
                     QString("Unable to access update site URL '%1'. ").arg(bad)),
            qPrintable(boxes.lastText()));
        QVERIFY(!boxes.lastText().endsWith("Try again later."));
        QCOMPARE(boxes.icons().last(), QMessageBox::Critical);
        QVERIFY(dialog.isVisible()); // kept open for a correction
        QCOMPARE(korOnlineUrl(), QString("http://127.0.0.1:9/before/"));
        // What was stored before the failing step stays stored.
        QCOMPARE(setting("LmtSetupSelfUpdater", "CheckForUpdates").toBool(), false);

        urlEdit(dialog)->setText(good);
        clickOk(dialog);
        QCOMPARE(boxes.count(), 1);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(korOnlineUrl(), good);
        QCOMPARE(server.requestCount(), 2);
        // Probed without any token.
        QVERIFY(!server.requests().last().hasHeader("authorization"));
    }

    void probeOfASilentSiteKeepsTheDialogAnsweringAndCanBeStopped_data()
    {
        QTest::addColumn<QString>("stop");
        for (const char *stop : { "Cancel", "Escape", "window closed", "dialog destroyed" })
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
        auto dialog = std::make_unique<LmtPrefsDialog>(manager);
        dialog->show();
        lmttest::MessageBoxWatcher boxes;
        urlEdit(*dialog)->setText(server.url("/silent/").toString());

        QElapsedTimer sinceTick;
        qint64 longestPauseMs = 0;
        QTimer heartbeat;
        heartbeat.setInterval(5);
        connect(&heartbeat, &QTimer::timeout,
            [&] { longestPauseMs = qMax(longestPauseMs, sinceTick.restart()); });
        sinceTick.start();
        heartbeat.start();
        click(*dialog, QDialogButtonBox::Ok);
        click(*dialog, QDialogButtonBox::Ok); // pressed twice: still one probe
        QTRY_COMPARE(server.requestCount(), 1);
        QTest::qWait(300);
        // The site holds its answer for good; before, the window waited for the 20 s time-out.
        QVERIFY2(longestPauseMs < 2000, qPrintable(QString::number(longestPauseMs)));
        QVERIFY(dialog->isCheckingUrl());
        QVERIFY(dialog->findChild<QWidget *>("m_checkSpinner")->isVisible());
        auto *box = dialog->findChild<QDialogButtonBox *>("m_btnsOkCancelReset");
        QVERIFY(!box->button(QDialogButtonBox::Ok)->isEnabled());

        if (stop == "Cancel")
            box->button(QDialogButtonBox::Cancel)->click();
        else if (stop == "Escape")
            QTest::keyClick(dialog.get(), Qt::Key_Escape);
        else if (stop == "window closed")
            dialog->close();
        else
            dialog.reset();
        if (dialog) {
            // Back to editing: the probe is gone, the dialog stays open for another try.
            QVERIFY(!dialog->isCheckingUrl());
            QVERIFY(dialog->isVisible());
            QVERIFY(box->button(QDialogButtonBox::Ok)->isEnabled());
            QVERIFY(!dialog->findChild<QWidget *>("m_checkSpinner")->isVisible());
        }
        // The request was ended, so the HTTP client is free again at once.
        const auto clientIsFree = [&] {
            try {
                manager->getData(server.url("/good/"), nullptr, 5000);
                return true;
            } catch (const std::exception &) {
                return false;
            }
        };
        QTRY_VERIFY_WITH_TIMEOUT(clientIsFree(), 5000);
        server.releaseHeld();
        QTest::qWait(100);
        QCOMPARE(boxes.count(), 0);
        QCOMPARE(korOnlineUrl(), QString("http://127.0.0.1:9/before/"));
    }

    void chosenLogFolderIsValidatedAndTakesTheLogAtOnce_data()
    {
        QTest::addColumn<QString>("refused");
        QTest::addColumn<QString>("message");
        QTest::newRow("below a plain file") << "plain-file/logs"
                                            << "The Logs directory '%1' does not exist";
        // An existing folder nobody may create files in (not even root).
        QTest::newRow("not writable") << "/proc"
                                      << "Unable to create logs in '%1'";
        // Writable, but the log's own sub-folder is taken by a file: the log cannot move.
        QTest::newRow("log's folder taken") << "logs-blocked"
                                            << "Unable to create logs in '%1'";
    }

    void chosenLogFolderIsValidatedAndTakesTheLogAtOnce()
    {
        QFETCH(QString, refused);
        QFETCH(QString, message);
        refused = QDir(m_sandbox.path()).filePath(refused);
        lmttest::writeFile(m_sandbox.filePath("plain-file"), "not a folder");
        lmttest::writeFile(m_sandbox.filePath("logs-blocked/tst_LmtPrefsDialog"), "in the way");
        startLogIn(m_sandbox.filePath("logs-before"));
        const QString before = Log::instance().fileName();

        // The lines logged below must reach the log file, not QtTest's own output.
        lmttest::LogCapture capture;
        QString picked;
        QStringList pickerCalls;
        QWidget *pickerParent = nullptr;
        LmtPrefsDialog dialog(m_fake);
        dialog.setDirectoryPicker([&](QWidget *parent, const QString &title, const QString &start) {
            pickerCalls << title << start;
            pickerParent = parent;
            return picked;
        });
        dialog.show();
        lmttest::MessageBoxWatcher boxes;
        auto *browse = dialog.findChild<QPushButton *>("m_btnLogDir");

        // Nothing picked: nothing changes.
        browse->click();
        QCOMPARE(pickerCalls,
            QStringList({ "Select Logs Directory", m_sandbox.filePath("logs-before") }));
        QVERIFY(pickerParent == &dialog);
        QCOMPARE(
            logDirEdit(dialog)->text(), m_sandbox.filePath("logs-before") + "/tst_LmtPrefsDialog");

        // Refused: the dialog stays open, the run keeps logging into its file, nothing is stored.
        picked = refused;
        browse->click();
        QCOMPARE(logDirEdit(dialog)->text(), picked + "/tst_LmtPrefsDialog");
        click(dialog, QDialogButtonBox::Ok);
        QCOMPARE(boxes.texts(), QStringList { message.arg(picked) });
        QVERIFY(dialog.isVisible());
        QCOMPARE(storedLogDir(), m_sandbox.filePath("logs-before"));
        QCOMPARE(Log::instance().fileName(), before);
        QVERIFY(logged(before, "still logging into the old file"));

        // A good new folder: stored, and the next line is already written there.
        const QString fresh = m_sandbox.filePath("logs-new");
        QDir().mkpath(fresh);
        picked = fresh;
        browse->click();
        click(dialog, QDialogButtonBox::Ok);
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(dialog.result(), int(QDialog::Rejected)); // no URL edit: no refresh
        QCOMPARE(storedLogDir(), fresh);
        const QString now = Log::instance().fileName();
        QVERIFY2(
            now.startsWith(fresh + "/tst_LmtPrefsDialog/tst_LmtPrefsDialog-"), qPrintable(now));
        QVERIFY(logged(now, "first line in the new folder"));
        QVERIFY(QFile::exists(before)); // the old file stays where it was
    }
};

QTEST_MAIN(tst_LmtPrefsDialog)
#include "tst_LmtPrefsDialog.moc"
