#include "app/LmtEntry.h"
#include "app/LmtTranslations.h"
#include "common/LmtStandIns.h"
#include "common/LmtTableRows.h"
#include "controller/LmtSetupController.h"
#include "services/LmtDownloadSettings.h"
#include "shared_toolkit/StatusConsole.h"
#include "ui/LmtMainWindow.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace zendrel::lmt::setup;

namespace {

// Run as this program's child: shows the window in the locale of the environment and prints
// what it shows.
const char *const kShowTextsFlag = "--show-texts";

// The child's part: the real start-up translations and the real wizard (services, controller
// and window against the stand-ins) up to the select page; prints the Next button, a standard
// button, a heading of the select page (tr() of a class in a namespace), the log panel and the
// log lines about the refresh as one JSON object.
int showTexts(int argc, char **argv)
{
    QApplication application(argc, argv);
    const LmtTranslations translations(QLocale::system(), lmttest::binDir() + "/translations");
    lmttest::LogCapture log;
    // Home, settings and the launcher's folder in a throwaway folder, never the user's.
    const lmttest::Sandbox sandbox;
    // Should a stand-in not start, the select page does not show and the panel tells why.
    lmttest::VendorStandIn vendor;
    const QString launcher = lmttest::installLauncherService();
    (void)(vendor.start() && lmttest::writeLauncherConfig(vendor.url()));
    setKorOnlineUrl(vendor.registryUrl());
    LmtMainWindow window(createSetupController());
    window.init();
    window.show();
    (void)QTest::qWaitFor(
        [&] { return window.currentView() == LmtMainWindow::LmtToolView::TOOL_VIEW_SELECT; },
        30000);
    const auto child = [&window](const char *name) { return window.findChild<QWidget *>(name); };
    // The panel shows the messages of a turn of the event loop together.
    QTest::qWait(300);
    const QDialogButtonBox standard(QDialogButtonBox::Cancel);
    const QJsonObject shown { { "next", qobject_cast<QPushButton *>(child("m_btnNext"))->text() },
        { "cancel", standard.button(QDialogButtonBox::Cancel)->text() },
        { "heading", qobject_cast<QLabel *>(child("m_lblBasePackages"))->text() },
        { "panel",
            qobject_cast<zendrel::lmt::shared_toolkit::StatusConsole *>(child("m_logPanel"))
                ->toPlainText() },
        { "log", log.lines().filter("[LmtMainWindow] Updated the tool list").join('\n') } };
    lmttest::runLauncherService(launcher, { "-stop" });
    std::fputs(QJsonDocument(shown).toJson(QJsonDocument::Compact).constData(), stdout);
    return 0;
}

} // namespace

class TestLmtTranslations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Qt takes the language from LC_ALL, LC_MESSAGES, LANG and LANGUAGE themselves, so the
    // German cases need no generated glibc locale.
    void windowFollowsTheLocale_data() { lmttest::rowsFrom("app/locales.json"); }

    void windowFollowsTheLocale()
    {
        QFETCH(QJsonObject, row);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // Set to nothing counts as not set, for the C library as for Qt.
        for (const char *name : { "LANG", "LANGUAGE", "LC_ALL", "LC_MESSAGES" })
            env.insert(name, row["environment"][QLatin1String(name)].toString());
        QProcess child;
        child.setProcessEnvironment(env);
        child.start(
            QCoreApplication::applicationFilePath(), { QString::fromLatin1(kShowTextsFlag) });
        QVERIFY(child.waitForFinished(120000));
        QVERIFY2(child.exitCode() == 0, child.readAllStandardError().constData());
        const QJsonObject shown = QJsonDocument::fromJson(child.readAllStandardOutput()).object();

        for (const char *text : { "next", "cancel", "heading" })
            QCOMPARE(shown[text].toString(), row[text].toString());
        QVERIFY2(shown["panel"].toString().split('\n').contains(row["panelLine"].toString()),
            qPrintable(shown["panel"].toString()));
        // The log file stays English whatever the window shows.
        QVERIFY2(shown["log"].toString().endsWith("[LmtMainWindow] Updated the tool list"),
            qPrintable(shown["log"].toString()));
    }

    // The translation matches the program's texts: lupdate run on a copy finds no text that is
    // new (unfinished) or gone (dropped), and every context is a plain class name.
    void translationIsComplete()
    {
        const QString ts = lmttest::sourceDir() + "/translations/lumetra-setup_de.ts";
        QTemporaryDir dir;
        const QString copy = dir.filePath("lumetra-setup_de.ts");
        QVERIFY(QFile::copy(ts, copy));
        QProcess lupdate;
        lupdate.start(QStringLiteral(LUMETRA_LUPDATE),
            QString::fromLatin1(LUMETRA_LUPDATE_OPTIONS).split(' ')
                + QStringList { "-silent", "-I", lmttest::sourceDir() + "/src",
                    lmttest::sourceDir() + "/src", "-ts", copy });
        QVERIFY(lupdate.waitForFinished(120000));
        QCOMPARE(lupdate.exitCode(), 0);

        const QString before = lmttest::readTextFile(ts);
        const QString after = lmttest::readTextFile(copy);
        for (const char *state :
            { "type=\"unfinished\"", "type=\"vanished\"", "type=\"obsolete\"" })
            QVERIFY2(!after.contains(state), state);
        QCOMPARE(after.count("<message>"), before.count("<message>"));
        QVERIFY(after.count("<message>") > 200);
        const QRegularExpression qualified(R"(<name>[^<]*::)");
        QVERIFY2(!after.contains(qualified), qPrintable(qualified.match(after).captured()));
    }
};

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], kShowTextsFlag) == 0)
        return showTexts(argc, argv);
    QApplication application(argc, argv);
    TestLmtTranslations test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_LmtTranslations.moc"
