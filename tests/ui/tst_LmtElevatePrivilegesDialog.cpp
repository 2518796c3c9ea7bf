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

namespace {

// Stands in for sudo: records its arguments and the line it reads from standard input next to
// itself, prompts like sudo -p does and accepts only one password.
const QByteArray kFakeSudo = R"(#!/bin/sh
here=$(dirname "$0")
printf '%s\n' "$@" > "$here/argv"
printf 'PASSWD:' >&2
IFS= read -r password
printf '%s' "$password" > "$here/stdin"
[ "$password" = "correct horse" ] && exit 0
printf 'Sorry, try again.\n' >&2
exit 1
)";

// Stands in for a sudo that takes its time to judge a password (as after a wrong one): it
// records its process id, reads the password and ends two seconds later, whatever it is told.
const QByteArray kSlowSudo = R"(#!/bin/sh
here=$(dirname "$0")
trap '' TERM
echo $$ > "$here/slow.pid"
IFS= read -r password
touch "$here/slow.judging"
sleep 2
exit 1
)";

// The ways a user dismisses the dialog.
enum Dismissal { CancelButton, EscapeKey, CloseButton };

} // namespace

class tst_LmtElevatePrivilegesDialog : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;

    QString binDir() const { return m_sandbox.filePath("bin"); }

    // Types text and presses OK, then waits until the check has been evaluated.
    static bool submit(LmtElevatePrivilegesDialog &dialog, const QString &text, bool expected)
    {
        QSignalSpy done(&dialog, &LmtElevatePrivilegesDialog::validationFinished);
        dialog.findChild<QLineEdit *>("m_pwdLineEdit")->setText(text);
        dialog.findChild<QDialogButtonBox *>("m_buttonBox")->button(QDialogButtonBox::Ok)->click();
        return done.wait(20000) && done.first().first().toBool() == expected;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(lmttest::writeFile(binDir() + "/sudo", kFakeSudo, true));
        QVERIFY(lmttest::writeFile(binDir() + "/slow-sudo", kSlowSudo, true));
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
        QTest::addColumn<int>("dismissal");
        QTest::addColumn<bool>("duringCheck");
        QTest::newRow("Cancel") << int(CancelButton) << false;
        QTest::newRow("Escape") << int(EscapeKey) << false;
        QTest::newRow("close") << int(CloseButton) << false;
        QTest::newRow("Cancel during check") << int(CancelButton) << true;
        QTest::newRow("Escape during check") << int(EscapeKey) << true;
        QTest::newRow("close during check") << int(CloseButton) << true;
    }

    // However the dialog is dismissed, the caller sees no password, as after Cancel; a check
    // still running neither holds up the window nor reports later.
    void dismissingCancels()
    {
        QFETCH(int, dismissal);
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
            dialog->findChild<QDialogButtonBox *>("m_buttonBox")
                ->button(QDialogButtonBox::Ok)
                ->click();
            QTRY_VERIFY(QFile::exists(binDir() + "/slow.judging"));
            QVERIFY(dialog->isValidating());
        }

        QElapsedTimer clock;
        clock.start();
        switch (dismissal) {
        case CancelButton:
            dialog->findChild<QDialogButtonBox *>("m_buttonBox")
                ->button(QDialogButtonBox::Cancel)
                ->click();
            break;
        case EscapeKey:
            QTest::keyClick(edit, Qt::Key_Escape);
            break;
        case CloseButton:
            QVERIFY(dialog->close());
            break;
        }
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

    void wrongThenRightPasswordThroughStandardInputOnly()
    {
        lmttest::LogCapture log;
        lmttest::MessageBoxWatcher boxes;
        LmtElevatePrivilegesDialog dialog;
        dialog.show();

        QVERIFY(submit(dialog, "wrong one", false));
        QCOMPARE(boxes.texts(), QStringList({ "Incorrect password! Please try again." }));
        QVERIFY(dialog.isVisible());
        QVERIFY(dialog.password().isEmpty()); // cleared for the next try
        QCOMPARE(lmttest::readTextFile(binDir() + "/stdin"), QString("wrong one"));

        QVERIFY(submit(dialog, "correct horse", true));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.password(), QString("correct horse")); // read by the caller
        QCOMPARE(dialog.attempts(), 2);
        QCOMPARE(boxes.count(), 1);

        // The password reached sudo on its standard input and nowhere else.
        QCOMPARE(lmttest::readTextFile(binDir() + "/stdin"), QString("correct horse"));
        QCOMPARE(lmttest::readTextFile(binDir() + "/argv"), QString("-S\n-k\n-p\nPASSWD:\ntrue\n"));
        QVERIFY(log.contains("validateInput(SUDO) with command: sudo -S -k -p PASSWD: true"));
        QVERIFY(log.contains("Finished SUDO validation process, status:"));
        const QString logText = log.lines().join('\n');
        QVERIFY(!logText.contains("correct horse"));
        QVERIFY(!logText.contains("wrong one"));
    }

    void fourthFailureRejects()
    {
        lmttest::MessageBoxWatcher boxes;
        LmtElevatePrivilegesDialog dialog;
        dialog.show();
        for (int attempt = 1; attempt <= 3; ++attempt) {
            QVERIFY(submit(dialog, QString("guess %1").arg(attempt), false));
            QVERIFY(dialog.isVisible());
            QCOMPARE(boxes.count(), attempt);
        }
        QVERIFY(submit(dialog, "guess 4", false));
        QCOMPARE(boxes.count(), 3); // no box after the last attempt
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.isVisible());
        // Not cleared: the caller reports a wrong password rather than a missing one.
        QCOMPARE(dialog.password(), QString("guess 4"));
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
