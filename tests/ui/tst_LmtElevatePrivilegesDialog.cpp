#include "common/LmtMessageBoxWatcher.h"
#include "common/LmtTestSupport.h"
#include "ui/LmtElevatePrivilegesDialog.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

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

private slots:
    void initTestCase()
    {
        QVERIFY(lmttest::writeFile(binDir() + "/sudo", kFakeSudo, true));
        // The dialog runs "sudo" through PATH; this one is found first.
        qputenv("PATH", QFile::encodeName(binDir()) + ":" + qgetenv("PATH"));
    }

    void init()
    {
        QFile::remove(binDir() + "/argv");
        QFile::remove(binDir() + "/stdin");
    }

    void cancelAndCloseClearThePassword()
    {
        LmtElevatePrivilegesDialog dialog;
        QCOMPARE(dialog.windowTitle(), QString("Authenticate"));
        auto *edit = dialog.findChild<QLineEdit *>("m_pwdLineEdit");
        QCOMPARE(edit->echoMode(), QLineEdit::Password);
        dialog.show();
        edit->setText("typed");
        dialog.findChild<QDialogButtonBox *>("m_buttonBox")
            ->button(QDialogButtonBox::Cancel)
            ->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(dialog.password().isEmpty());

        LmtElevatePrivilegesDialog closed;
        closed.show();
        closed.findChild<QLineEdit *>("m_pwdLineEdit")->setText("typed");
        QVERIFY(closed.close());
        QCOMPARE(closed.result(), int(QDialog::Rejected));
        QVERIFY(closed.password().isEmpty());
        QCOMPARE(closed.attempts(), 0);
        QVERIFY(!QFile::exists(binDir() + "/argv")); // sudo never ran
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
