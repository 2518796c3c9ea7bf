#include "app/LmtApplication.h"
#include "app/LmtEntry.h"
#include "app/LmtTranslations.h"
#include "common/LmtStandIns.h"
#include "common/LmtTableRows.h"
#include "common/LmtTestSupport.h"
#include "controller/LmtSetupController.h"
#include "services/LmtDownloadSettings.h"
#include "shared_toolkit/Log.h"
#include "shared_toolkit/StatusConsole.h"
#include "ui/LmtAbout.h"
#include "ui/LmtMainWindow.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <stdexcept>

using namespace zendrel::lmt::setup;
using zendrel::lmt::shared_toolkit::initLog;
using zendrel::lmt::shared_toolkit::Log;

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

// Mean brightness (0..255) of the opaque pixels of an icon drawn at 32x32; -1 when nothing is.
double inkBrightness(const QString &resource)
{
    const QImage image = QIcon(resource).pixmap(32, 32).toImage();
    double sum = 0;
    int count = 0;
    for (int i = 0; i < image.width() * image.height(); ++i) {
        const QColor pixel = image.pixelColor(i % image.width(), i / image.width());
        sum += pixel.alpha() > 128 ? pixel.value() : 0;
        count += pixel.alpha() > 128;
    }
    return count ? sum / count : -1;
}

const QString kLogDirKey = QStringLiteral("LmtGeneralSettings/LogDir");

// One run of the real program. The sandbox points every directory the program touches at a
// fresh temporary folder, through the environment the program inherits.
struct SandboxedRun {
    lmttest::Sandbox sandbox;
    QProcess process;
    QString errors;

    ~SandboxedRun()
    {
        process.kill();
        process.waitForFinished(10000);
        // A launcher service the program started outlives it, as on a user's machine.
        const QString service = lmttest::launcherServiceDirectory() + "/kor-launcher-service";
        if (QFile::exists(service))
            lmttest::runLauncherService(service, { "-stop" });
    }

    QString path(const QString &relative) const { return sandbox.filePath(relative); }
    // The program's settings file.
    QSettings settings() const
    {
        return QSettings(
            path("data/Zendrel_Technologies_AG/Lumetra/Lumetra Setup.ini"), QSettings::IniFormat);
    }
    bool start()
    {
        // A Linux user's environment has no Windows folder variables.
        qunsetenv("LOCALAPPDATA");
        qunsetenv("USERPROFILE");
        process.start(lmttest::binDir() + "/LumetraSetup", {});
        return process.waitForStarted(10000);
    }
    // The log files the program has written below logDir so far.
    QFileInfoList logFiles(const QString &logDir) const
    {
        return QDir(logDir + "/LumetraSetup").entryInfoList({ "*.log" }, QDir::Files);
    }
    // Everything the program wrote to standard error so far.
    QString errorOutput() { return errors += QString::fromUtf8(process.readAllStandardError()); }
};

} // namespace

// The identity, settings and folders the application builds on are tested in tests/base; here
// the start-up (in this process and as the real program), the translations, the About text
// and the files shipped with the program.
class TestLmtApplication : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;
    lmttest::VendorStandIn m_vendor;

private Q_SLOTS:
    void applicationSetupGivesIdentityOrThrows()
    {
        QCoreApplication::setApplicationName("before");
        QString failure;
        try {
            applicationSetup({ 1, -1, 0, 787 });
        } catch (...) {
            failure = startupFailureText(std::current_exception());
        }
        QCOMPARE(failure + " " + QCoreApplication::applicationName(),
            "Runtime error: Invalid version before");

        applicationSetup();
        QCOMPARE(QStringList(
                     { QCoreApplication::applicationVersion(), QCoreApplication::applicationName(),
                         QGuiApplication::applicationDisplayName(), QLocale().name() }),
            QStringList({ "1.2.0.787", "Lumetra™ Setup", "Lumetra™ Setup 1.2", "en_US" }));
        QVERIFY(!QApplication::windowIcon().pixmap(32, 32).isNull());
        QCOMPARE(QApplication::font(), QApplication::font("QMenu"));
    }

    void startupFailuresBecomeOneMessage()
    {
        const QString tm = QString::fromUtf8("Qt \u2122");
        for (const auto &[failure, text] :
            QList<QPair<std::exception_ptr, QString>> {
                { std::make_exception_ptr("plain text"), "plain text" },
                { std::make_exception_ptr(tm), tm },
                { std::make_exception_ptr(std::runtime_error("disk full")),
                    "Runtime error: disk full" },
                { std::make_exception_ptr(std::logic_error("bad state")), "Exception: bad state" },
                { std::make_exception_ptr(42), "An unknown exception occurred" }, { nullptr, "" } })
            QCOMPARE(startupFailureText(failure), text);
    }

    void aboutShowsYearsAndExistingLogs()
    {
        QCOMPARE(aboutYearRange("Dec 17 2023") + " " + aboutYearRange("Jan  2 2024") + " "
                + aboutYearRange("Jun 30 2031"),
            "2023 2023-2024 2023-2031");

        const QString directory = m_sandbox.filePath("about-logs");
        QVERIFY(QDir().mkpath(directory) && initLog(directory, "LumetraSetup", false));
        const QString logFile = Log::instance().fileName();

        QString text = aboutText();
        for (const QString &part : { QString("Lumetra™ Setup"), QString("1.2.0.787"),
                 "&copy; " + aboutYearRange(buildDate()) + " ",
                 QString("<p>Log(s): <a href=\"file:///%1\">%1</a>").arg(logFile) })
            QVERIFY2(text.contains(part), qPrintable(part));
        QVERIFY(!text.contains("KOR Launcher Service Log(s)"));

        const QString launcherLog = m_sandbox.filePath(
            "data/Zendrel_Technologies_AG/Launcher-Service/resources/logs/launcher-service.log");
        QVERIFY(lmttest::writeFile(launcherLog, "service log"));
        const QString launcherLine
            = QString("<p>KOR Launcher Service Log(s): <a href=\"file:///%1\">%1</a>")
                  .arg(launcherLog);
        QVERIFY(aboutText().endsWith(launcherLine));
        Log::instance().close();
        text = aboutText();
        QVERIFY(!text.contains("<p>Log(s):") && text.endsWith(launcherLine));
        QVERIFY(QFile::remove(launcherLog));
    }

    void windowIconsAreDrawn()
    {
        for (const QString name :
            { "reset", "bw-unlock", "bw-lock", "configure", "ellipsis", "setup" })
            QVERIFY2(QFile::exists(":/images/" + name) && inkBrightness(":/images/" + name) >= 0,
                qPrintable(name));
        // The "-light" icon is for light palettes, so it must be drawn darker than its "-dark"
        // partner, which has to stand out on a dark window.
        for (const QString name : { "user", "logout", "cogwheel", "restore" }) {
            const double light = inkBrightness(":/images/" + name + "-light");
            const double dark = inkBrightness(":/images/" + name + "-dark");
            QVERIFY2(light >= 0 && light + 60 < dark,
                qPrintable(QString("%1: %2 vs %3").arg(name).arg(light).arg(dark)));
        }
    }

    void helpFileIsBuiltBesideTheExecutable()
    {
        const QByteArray content = lmttest::readFile(lmttest::binDir() + "/docs/LumetraSetup.pdf");
        QVERIFY(content.startsWith("%PDF-1.") && content.trimmed().endsWith("%%EOF"));
        // A real guide of several pages, not an empty document.
        const qsizetype pages
            = QString::fromLatin1(content).count(QRegularExpression("/Type\\s*/Page\\b"));
        QVERIFY2(pages >= 2, qPrintable(QString::number(pages)));
        // The document title is stored as UTF-16 with a byte-order mark.
        QByteArray title("/Title (\xfe\xff");
        for (QChar c : QStringLiteral("Lumetra"))
            title.append(char(0)).append(char(c.unicode()));
        QVERIFY(content.contains(title));
        // The pictures of the four wizard pages that scripts/screenshots takes are printed in it.
        const qsizetype pictures
            = QString::fromLatin1(content).count(QRegularExpression("/Subtype\\s*/Image\\b"));
        QVERIFY2(pictures >= 4, qPrintable(QString::number(pictures)));
    }

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

    void cleanup() { m_vendor.stop(); }

    // The log folder setting is kept while the folder exists; otherwise the temporary
    // directory is used and stored. Each run then lists the tools from the stand-ins.
    void logFolderComesFromTheSettingsAndTheToolsAreListed_data()
    {
        QTest::addColumn<QString>("preset"); // "-": no setting; "@": an existing folder
        for (const char *preset : { "-", "/no/such/folder/anywhere", "@" })
            QTest::newRow(preset) << QString(preset);
    }

    void logFolderComesFromTheSettingsAndTheToolsAreListed()
    {
        QFETCH(QString, preset);
        const bool kept = preset == "@";
        QString failure;
        QVERIFY2(m_vendor.start({}, &failure), qPrintable(failure));
        SandboxedRun run;
        QVERIFY(!lmttest::installLauncherService().isEmpty());
        QVERIFY(lmttest::writeLauncherConfig(m_vendor.url()));
        run.settings().setValue("LmtDownloadSettings/korOnlineUrl", m_vendor.registryUrl());
        // One tool installed for the current user, as an installer leaves it.
        QVERIFY(QDir().mkpath(run.path("opt/flashprobe")));
        QVERIFY(lmttest::writeFile(
            run.path("data/Zendrel_Technologies_AG/Zendrel-Toolbox/flashprobe.json"),
            lmttest::fixture("app/flashprobe.json")
                .replace("@PROGRAM_DIR@", run.path("opt/flashprobe").toUtf8())));
        const QString chosen = run.path("home/my logs");
        if (kept)
            QVERIFY(QDir().mkpath(preset = chosen));
        if (preset != "-")
            run.settings().setValue(kLogDirKey, preset);
        const QString expected = kept ? chosen : run.path("tmp");
        QVERIFY(run.start());

        // One log file, named after the time and the process; its first line names it and is
        // echoed to standard error without the time stamp.
        QTRY_COMPARE_WITH_TIMEOUT(run.logFiles(expected).size(), 1, 30000);
        const QFileInfo file = run.logFiles(expected).constFirst();
        QVERIFY2(QRegularExpression(QString("^LumetraSetup-\\d{8}\\.\\d{6}\\.\\d{3}-%1\\.log$")
                                        .arg(run.process.processId()))
                     .match(file.fileName())
                     .hasMatch(),
            qPrintable(file.fileName()));
        const QString logFileLine = "INFO] Log file=" + file.absoluteFilePath() + "\n";
        QTRY_VERIFY_WITH_TIMEOUT(lmttest::readTextFile(file.filePath()).contains(logFileLine)
                && run.errorOutput().contains("[" + logFileLine),
            30000);
        QCOMPARE(run.settings().value(kLogDirKey).toString(), expected);
        QCOMPARE(run.logFiles(run.path("tmp")).isEmpty(), kept);

        QTRY_VERIFY_WITH_TIMEOUT(
            run.errorOutput().contains("[INFO] [LmtMainWindow] Updated the tool list\n"), 60000);
        const QString output = run.errorOutput();
        for (const QString &line : QString(lmttest::fixture("app/first-refresh-lines.txt"))
                                       .split('\n', Qt::SkipEmptyParts))
            QVERIFY2(output.contains(line), qPrintable(line));
        QVERIFY2(!output.contains("[CRITICAL]"), qPrintable(output));
        QCOMPARE(run.process.state(), QProcess::Running);
    }
};

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], kShowTextsFlag) == 0)
        return showTexts(argc, argv);
    QApplication application(argc, argv);
    TestLmtApplication test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_LmtApplication.moc"
