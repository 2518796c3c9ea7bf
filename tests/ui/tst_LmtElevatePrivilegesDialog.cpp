#include "common/LmtMessageBoxWatcher.h"
#include "common/LmtTableRows.h"
#include "common/LmtTestSupport.h"
#include "ui/LmtElevatePrivilegesDialog.h"

#include <QDialogButtonBox>
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
    // What the caller reads once exec() has returned: "shown|hidden result 'password' attempts".
    static QString outcome(const LmtElevatePrivilegesDialog &dialog)
    {
        return QString("%1 %2 '%3' %4")
            .arg(dialog.isVisible() ? "shown" : "hidden")
            .arg(dialog.result() == QDialog::Accepted ? "accepted" : "rejected", dialog.password())
            .arg(dialog.attempts());
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
        lmttest::rowsFrom("ui/dismissals.txt", { "dismissal", "check" });
    }

    // However the dialog is dismissed, the caller sees no password, as after Cancel; a check
    // still running neither holds up the window nor reports later. A sudo that cannot be
    // started is logged, and the dialog stays usable.
    void dismissingCancels()
    {
        QFETCH(QString, dismissal);
        QFETCH(QString, check);
        const bool duringCheck = check == "yes";
        lmttest::LogCapture log;
        lmttest::MessageBoxWatcher boxes;
        auto dialog = std::make_unique<LmtElevatePrivilegesDialog>();
        auto *edit = dialog->findChild<QLineEdit *>("m_pwdLineEdit");
        QCOMPARE(dialog->windowTitle(), QString("Authenticate"));
        QCOMPARE(edit->echoMode(), QLineEdit::Password);
        dialog->setSudoProgram(
            binDir() + (check == "unstartable" ? "/no-such-sudo" : "/slow-sudo"));
        dialog->show();
        edit->setText("secret");
        if (check != "no")
            button(*dialog, QDialogButtonBox::Ok)->click();
        if (duringCheck)
            QTRY_VERIFY(QFile::exists(binDir() + "/slow.judging"));
        QCOMPARE(dialog->isValidating(), duringCheck);
        QCOMPARE(button(*dialog, QDialogButtonBox::Ok)->isEnabled(), !duringCheck);
        QCOMPARE(log.contains("Failed to start SUDO validation process"), check == "unstartable");

        QElapsedTimer clock;
        clock.start();
        if (dismissal == "Cancel")
            button(*dialog, QDialogButtonBox::Cancel)->click();
        else if (dismissal == "Escape")
            QTest::keyClick(edit, Qt::Key_Escape);
        else
            QVERIFY(dialog->close());
        QCOMPARE(outcome(*dialog), QString("hidden rejected '' %1").arg(int(check != "no")));
        dialog.reset();
        QVERIFY2(clock.elapsed() < 100, qPrintable(QString::number(clock.elapsed()) + " ms"));

        // sudo never ran, or the given-up check ends on its own later: it is reaped, and nobody
        // hears of it.
        const QString pid = lmttest::readTextFile(binDir() + "/slow.pid").trimmed();
        QCOMPARE(pid.isEmpty(), !duringCheck);
        QTRY_VERIFY_WITH_TIMEOUT(pid.isEmpty() || !QFile::exists("/proc/" + pid), 10000);
        QTest::qWait(50);
        QCOMPARE(boxes.count(), 0);
        QVERIFY(!log.lines().join('\n').contains("secret"));
    }

    void passwordsGoThroughStandardInputOnly_data()
    {
        lmttest::rowsFrom("ui/passwords.txt", { "typed", "accepts" });
    }

    void passwordsGoThroughStandardInputOnly()
    {
        QFETCH(QString, typed);
        QFETCH(QString, accepts);
        const QStringList passwords = typed.split(", ");
        const bool accepted = accepts == "yes";
        lmttest::LogCapture log;
        lmttest::MessageBoxWatcher boxes;
        LmtElevatePrivilegesDialog dialog;
        dialog.show();
        for (int i = 0; i < passwords.size() - 1; ++i) {
            QVERIFY(submit(dialog, passwords[i], false));
            QCOMPARE(boxes.texts(), QStringList(i + 1, "Incorrect password! Please try again."));
            // Cleared for the next try.
            QCOMPARE(outcome(dialog), QString("shown rejected '' %1").arg(i + 1));
            QCOMPARE(lmttest::readTextFile(binDir() + "/stdin"), passwords[i]);
        }
        QVERIFY(submit(dialog, passwords.last(), accepted));
        // Read by the caller; after four failures it reports a wrong password, not a missing one.
        QCOMPARE(outcome(dialog),
            QString("hidden %1 '%2' %3")
                .arg(accepted ? "accepted" : "rejected", passwords.last())
                .arg(passwords.size()));
        QCOMPARE(boxes.count(), passwords.size() - 1);

        // The password reached sudo on its standard input and nowhere else.
        QCOMPARE(lmttest::readTextFile(binDir() + "/stdin"), passwords.last());
        QCOMPARE(lmttest::readTextFile(binDir() + "/argv"), QString("-S\n-k\n-p\nPASSWD:\ntrue\n"));
        QVERIFY(log.contains("validateInput(SUDO) with command: sudo -S -k -p PASSWD: true"));
        QVERIFY(log.contains("Finished SUDO validation process, status:"));
        for (const QString &password : passwords)
            QVERIFY(!log.lines().join('\n').contains(password));
    }
};

QTEST_MAIN(tst_LmtElevatePrivilegesDialog)
#include "tst_LmtElevatePrivilegesDialog.moc"
