#include "common/LmtMessageBoxWatcher.h"
#include "common/LmtTestSupport.h"
#include "ui/LmtElevatePrivilegesDialog.h"

#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace zendrel::lmt::setup;

class tst_LmtElevatePrivilegesDialog : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;

    QString binDir() const { return m_sandbox.filePath("bin"); }

    static QPushButton *button(QDialog &dialog, QDialogButtonBox::StandardButton which)
    {
        return dialog.findChild<QDialogButtonBox *>("m_buttonBox")->button(which);
    }
    // Types text and presses OK, then waits until the check has been evaluated.
    static bool submit(LmtElevatePrivilegesDialog &dialog, const QString &text, bool expected)
    {
        QSignalSpy done(&dialog, &LmtElevatePrivilegesDialog::validationFinished);
        dialog.findChild<QLineEdit *>("m_pwdLineEdit")->setText(text);
        button(dialog, QDialogButtonBox::Ok)->click();
        return done.wait(20000) && done.first().first().toBool() == expected;
    }

private Q_SLOTS:
    void initTestCase()
    {
        // Stand-ins for sudo (see their comments); only "correct horse" is accepted.
        for (const char *sudo : { "sudo", "slow-sudo" })
            QVERIFY(lmttest::writeFile(
                binDir() + "/" + sudo, lmttest::fixture(QString("ui/") + sudo), true));
        // The dialog runs "sudo" through PATH; this one is found first.
        qputenv("PATH", QFile::encodeName(binDir()) + ":" + qgetenv("PATH"));
    }

    void init()
    {
        for (const char *file : { "argv", "stdin", "slow.pid", "slow.judging" })
            QFile::remove(binDir() + "/" + file);
    }

    void dismissingCancels_data()
    {
        QTest::addColumn<QString>("dismissal");
        QTest::addColumn<bool>("duringCheck");
        for (const char *when : { "", " during check" }) {
            for (const char *dismissal : { "Cancel", "Escape", "close" })
                QTest::addRow("%s%s", dismissal, when) << QString(dismissal) << (*when != 0);
        }
    }

    // However the dialog is dismissed, the caller sees no password, as after Cancel; a check
    // still running neither holds up the window nor reports later.
    void dismissingCancels()
    {
        QFETCH(QString, dismissal);
        QFETCH(bool, duringCheck);
        lmttest::MessageBoxWatcher boxes;
        auto dialog = std::make_unique<LmtElevatePrivilegesDialog>();
        QCOMPARE(dialog->windowTitle(), QString("Authenticate"));
        auto *edit = dialog->findChild<QLineEdit *>("m_pwdLineEdit");
        QCOMPARE(edit->echoMode(), QLineEdit::Password);
        dialog->setSudoProgram(binDir() + "/slow-sudo");
        dialog->show();
        edit->setText("typed");
        if (duringCheck) {
            button(*dialog, QDialogButtonBox::Ok)->click();
            QTRY_VERIFY(QFile::exists(binDir() + "/slow.judging"));
            QVERIFY(dialog->isValidating());
        }

        QElapsedTimer clock;
        clock.start();
        if (dismissal == "Cancel")
            button(*dialog, QDialogButtonBox::Cancel)->click();
        else if (dismissal == "Escape")
            QTest::keyClick(edit, Qt::Key_Escape);
        else
            QVERIFY(dialog->close());
        // What the caller reads once exec() has returned.
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QVERIFY(dialog->password().isEmpty());
        QCOMPARE(dialog->attempts(), duringCheck ? 1 : 0);
        dialog.reset();
        QVERIFY2(clock.elapsed() < 100, qPrintable(QString::number(clock.elapsed()) + " ms"));

        if (!duringCheck) {
            QVERIFY(!QFile::exists(binDir() + "/slow.pid")); // sudo never ran
            return;
        }
        // The given-up check ends on its own later: it is reaped, and nobody hears of it.
        const QString pid
            = QString::fromLatin1(lmttest::readFile(binDir() + "/slow.pid").trimmed());
        QVERIFY(!pid.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists("/proc/" + pid), 10000);
        QTest::qWait(50);
        QCOMPARE(boxes.count(), 0);
    }

    void passwordsGoThroughStandardInputOnly_data()
    {
        QTest::addColumn<QStringList>("passwords");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("wrong, then right") << QStringList { "wrong one", "correct horse" } << true;
        // The fourth failure rejects, without a box.
        QTest::newRow("four wrong")
            << QStringList { "guess 1", "guess 2", "guess 3", "guess 4" } << false;
    }

    void passwordsGoThroughStandardInputOnly()
    {
        QFETCH(QStringList, passwords);
        QFETCH(bool, accepted);
        lmttest::LogCapture log;
        lmttest::MessageBoxWatcher boxes;
        LmtElevatePrivilegesDialog dialog;
        dialog.show();
        for (int i = 0; i < passwords.size() - 1; ++i) {
            QVERIFY(submit(dialog, passwords[i], false));
            QCOMPARE(boxes.texts(), QStringList(i + 1, "Incorrect password! Please try again."));
            QVERIFY(dialog.isVisible());
            QVERIFY(dialog.password().isEmpty()); // cleared for the next try
            QCOMPARE(lmttest::readTextFile(binDir() + "/stdin"), passwords[i]);
        }
        QVERIFY(submit(dialog, passwords.last(), accepted));
        QCOMPARE(dialog.result(), int(accepted ? QDialog::Accepted : QDialog::Rejected));
        QVERIFY(!dialog.isVisible());
        // Read by the caller; after four failures it reports a wrong password, not a missing one.
        QCOMPARE(dialog.password(), passwords.last());
        QCOMPARE(dialog.attempts(), passwords.size());
        QCOMPARE(boxes.count(), passwords.size() - 1);

        // The password reached sudo on its standard input and nowhere else.
        QCOMPARE(lmttest::readTextFile(binDir() + "/stdin"), passwords.last());
        QCOMPARE(lmttest::readTextFile(binDir() + "/argv"), QString("-S\n-k\n-p\nPASSWD:\ntrue\n"));
        QVERIFY(log.contains("validateInput(SUDO) with command: sudo -S -k -p PASSWD: true"));
        QVERIFY(log.contains("Finished SUDO validation process, status:"));
        const QString logText = log.lines().join('\n');
        for (const QString &password : passwords)
            QVERIFY(!logText.contains(password));
    }

    void missingSudoIsLoggedAndTheDialogStaysUsable()
    {
        lmttest::LogCapture log;
        lmttest::MessageBoxWatcher boxes;
        LmtElevatePrivilegesDialog dialog;
        dialog.setSudoProgram(m_sandbox.filePath("no-such-sudo"));
        dialog.show();
        dialog.findChild<QLineEdit *>("m_pwdLineEdit")->setText("secret");
        auto *buttons = dialog.findChild<QDialogButtonBox *>("m_buttonBox");
        buttons->button(QDialogButtonBox::Ok)->click();
        QVERIFY(log.contains("Failed to start SUDO validation process"));
        QVERIFY(!log.lines().join('\n').contains("secret"));
        QVERIFY(dialog.isVisible());
        QVERIFY(buttons->isEnabled());
        QVERIFY(!dialog.isValidating());
        QCOMPARE(boxes.count(), 0);
    }
};

QTEST_MAIN(tst_LmtElevatePrivilegesDialog)
#include "tst_LmtElevatePrivilegesDialog.moc"
