#include "common/LmtTestSupport.h"
#include "model/Lmt3rdPartyLocalToolVersion.h"
#include "model/Lmt3rdPartyOnlineToolVersion.h"
#include "model/Lmt3rdPartyTool.h"
#include "model/LmtCoreToolModel.h"
#include "registry/Lmt3rdPartyCommand.h"
#include "registry/Lmt3rdPartyRegistryParser.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QSignalSpy>
#include <QtTest>

using namespace zendrel::lmt::setup;
using namespace std::chrono_literals;

class TestLmt3rdPartyRegistryParser : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;
    std::shared_ptr<LmtCoreToolModel> m_model;
    std::unique_ptr<Lmt3rdPartyRegistryParser> m_parser;
    QString m_root;

    // Copies the case below tests/data/registry/3rdparty/ into a fresh folder: "app" holds the
    // tools file, "tools" the scripts that stand in for installed tools, "home" goes to the
    // user's home. "@ROOT@" and "@HOME@" in the files become those folders.
    void stage(const QString &name)
    {
        const QString from = lmttest::fixturePath("registry/3rdparty/" + name);
        for (const QString &file : lmttest::filesBelow(from)) {
            QByteArray text = lmttest::readFile(from + "/" + file);
            text.replace("@ROOT@", m_root.toUtf8()).replace("@HOME@", QDir::homePath().toUtf8());
            const QString to
                = file.startsWith("home/") ? QDir::homePath() + file.mid(4) : m_root + "/" + file;
            QVERIFY(lmttest::writeFile(to, text, QFileInfo(from + "/" + file).isExecutable()));
        }
    }

    QString parseError()
    {
        return lmttest::failureOf([this] { m_parser->parse(); });
    }

    std::shared_ptr<Lmt3rdPartyLocalToolVersion> installed(int tool)
    {
        const auto versions = m_model->tools().at(tool)->localVersions();
        return versions.isEmpty()
            ? nullptr
            : std::dynamic_pointer_cast<Lmt3rdPartyLocalToolVersion>(versions.first());
    }

private Q_SLOTS:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("LOCAL.debug=true")); }

    void init()
    {
        m_root = m_sandbox.filePath("stage");
        QDir(m_root).removeRecursively();
        QDir(QDir::homePath() + "/tools").removeRecursively();
        m_model = std::make_shared<LmtCoreToolModel>();
        m_parser = std::make_unique<Lmt3rdPartyRegistryParser>(m_model);
        m_parser->setApplicationDirectory(m_root + "/app");
    }

    void fileProblemsAbortTheParse_data()
    {
        QTest::addColumn<QByteArray>("content"); // null: no file; "-": unreadable
        QTest::addColumn<QString>("failure");
        const QString file = m_sandbox.filePath("stage/app/Resources/3rdparty-tools.json");
        QTest::newRow("no file") << QByteArray() << QString("'%1' JSON file not found!").arg(file);
        QTest::newRow("not JSON") << QByteArray("[ {") << "unterminated object";
        QTest::newRow("no array") << QByteArray("{}")
                                  << "Invalid document format - file does not contain a JSON Array";
        QTest::newRow("unreadable")
            << QByteArray("-") << QString("Cannot open JSON file '%1' for reading").arg(file);
    }

    void fileProblemsAbortTheParse()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, failure);
        if (content == "-" && lmttest::rerunUnprivileged())
            return;
        QCOMPARE(parseError(), "Resources folder not found!");
        const QString file = m_root + "/app/Resources/3rdparty-tools.json";
        QVERIFY(QDir().mkpath(m_root + "/app/Resources"));
        if (!content.isNull())
            QVERIFY(lmttest::writeFile(file, content));
        if (content == "-")
            QVERIFY(QFile::setPermissions(file, QFileDevice::WriteOwner));
        QCOMPARE(parseError(), failure);
        QVERIFY(m_model->tools().isEmpty());
    }

    void emptyArrayAddsNothing()
    {
        QVERIFY(lmttest::writeFile(m_root + "/app/Resources/3rdparty-tools.json", "[]"));
        QSignalSpy ui(m_parser.get(), &ILmtRegistryParser::appendUILog);
        lmttest::LogCapture capture;
        m_parser->parse();
        QVERIFY(m_model->tools().isEmpty());
        QCOMPARE(ui.count(), 1);
        QCOMPARE(ui.first().first().toString(), "Parse 3rd party tool Registry");
        QVERIFY(capture.contains("[Lmt3rdPartyRegistryParser] >>>>>>>>>> Parse 3rd party tool "
                                 "registry JSON >>>>>>>>>>"));
        QVERIFY(capture.contains(
            "[Lmt3rdPartyRegistryParser] <<<<<<<<< Parse 3rd party tool registry JSON <<<<<<<<<"));
    }

    void offeredVersionsAndToolRecords()
    {
        stage("offered");
        QSignalSpy ui(m_parser.get(), &ILmtRegistryParser::appendUILog);
        lmttest::LogCapture capture;
        m_parser->parse();

        QCOMPARE(m_model->tools().size(), 3); // the repeated entry is a tool of its own
        const auto a = std::dynamic_pointer_cast<Lmt3rdPartyTool>(m_model->tools().at(0));
        QCOMPARE(a->type(), LmtToolType::ThirdParty);
        QVERIFY(!a->loginRequired());
        QCOMPARE(a->shortName(), "A");
        QVERIFY(a->allVersions().isEmpty());
        QVERIFY(capture.contains("[Lmt3rdPartyRegistryParser] Local package entry not found for "
                                 "the current OS: Linux"));
        QVERIFY(capture.contains("[Lmt3rdPartyRegistryParser] Error parsing tool entry in JSON - "
                                 "invalid object format, skipping"));

        const auto b = std::dynamic_pointer_cast<Lmt3rdPartyTool>(m_model->tools().at(1));
        QCOMPARE(b->name(), "Tool b");
        QCOMPARE(b->knownPlugins().size(), 1);
        QCOMPARE(b->knownPlugins().first().id, "p1");
        QCOMPARE(b->knownPlugins().first().name, "Plug 1");
        QCOMPARE(b->onlineVersions().size(), 1);
        const auto offered
            = std::dynamic_pointer_cast<Lmt3rdPartyOnlineToolVersion>(b->onlineVersions().first());
        QCOMPARE(offered->version(), QString());
        QCOMPARE(offered->externalUrl(), QUrl("https://example.org/"));
        QVERIFY(!offered->silentInstall());
        QVERIFY(b->localVersions().isEmpty());

        QStringList texts;
        for (const auto &args : ui)
            texts << args.first().toString();
        QCOMPARE(texts,
            QStringList(
                { "Parse 3rd party tool Registry", "Discovered available 3rd party tool 'Tool b'",
                    "Discovered available 3rd party tool 'Tool b'" }));
    }

    void versionFoundDespiteExitCodeOne()
    {
        stage("exit-one");
        QSignalSpy ui(m_parser.get(), &ILmtRegistryParser::appendUILog);
        lmttest::LogCapture capture;
        m_parser->parse();

        const QString dir = m_root + "/tools/one";
        const auto version = installed(0);
        QVERIFY(version);
        QCOMPARE(version->version(), "1.2.3");
        QVERIFY(version->selected());
        QCOMPARE(version->installScope(), LmtToolInstallScope::AllUsers);
        QCOMPARE(version->installDirectory(), dir);
        QCOMPARE(version->path(), dir + "/bin/tool");
        QCOMPARE(version->uninstallPath(), dir + "/bin/uninstall.sh");
        QCOMPARE(version->entryName(), "Tool one");
        QCOMPARE(m_parser->lastInstallDirectory(), dir);

        const QString tag = "[Lmt3rdPartyRegistryParser] ";
        const QString variant = "Tool one scope: all-users installer: exe";
        for (const QString &line : {
                 "CRITICAL] " + tag
                     + "discoverInstalledTool(): Failed to invoke 'get version' "
                       "command: "
                     + dir + "/bin/tool --version",
                 "CRITICAL] " + tag + "discoverInstalledTool(): process exited w/ code: 1",
                 "INFO] " + tag + "Command " + dir
                     + "/bin/tool --version returned: Tool version 1.2.3 (--version)",
                 tag + ">> discoverInstalledTool(): " + variant,
                 tag + "Found install directory: " + dir,
                 tag + "Found installed version: 1.2.3 for the tool " + variant,
                 tag + "<< discoverInstalledTool() " + variant,
             })
            QVERIFY2(capture.contains(line), qPrintable(line));
        QVERIFY(ui.count() >= 3);
        QCOMPARE(ui.at(2).first().toString(),
            "Discovered installed 3rd party tool 'Tool one', version 1.2.3");
    }

    // "{userhome}" counts for the current user only; any mode other than "all-users" installs
    // for the current user.
    void userHomeOnlyForCurrentUser()
    {
        stage("user-home");
        lmttest::LogCapture capture;
        m_parser->parse();

        QCOMPARE(installed(0)->installDirectory(), QDir::homePath() + "/tools/x");
        QCOMPARE(installed(0)->installScope(), LmtToolInstallScope::CurrentUser);
        QVERIFY(!installed(1));
        QVERIFY(capture.contains("WARNING] [Lmt3rdPartyRegistryParser] Could not find the tool in "
                                 "the directory: {userhome}/tools/x"));
        QVERIFY(capture.contains("INFO] [Lmt3rdPartyRegistryParser] Install directory not found "
                                 "for: Tool au scope: all-users installer: exe"));
        QCOMPARE(installed(2)->installScope(), LmtToolInstallScope::CurrentUser);
    }

    void commandLinesSplitAtTheLastBlank_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("one argument") << "bin/tool --version"
                                      << "bin/tool" << QStringList { "--version" };
        QTest::newRow("two arguments") << "bin/tool -a -b"
                                       << "bin/tool -a" << QStringList { "-b" };
        QTest::newRow("no blank") << "bin/tool"
                                  << "" << QStringList { QString() };
        QTest::newRow("tab") << "bin/tool\t-x"
                             << "bin/tool" << QStringList { "-x" };
    }

    void commandLinesSplitAtTheLastBlank()
    {
        QFETCH(QString, line);
        const auto command = Lmt3rdPartyCommand::fromCommandLine(line);
        QTEST(command.program(), "program");
        QTEST(command.arguments(), "arguments");
    }

    // The program really is "bin/tool -a", run with the single argument "-b".
    void splitCommandLinesRunAsSplit()
    {
        stage("split");
        lmttest::LogCapture capture;
        m_parser->parse();

        const QString dir = m_root + "/tools/split";
        QCOMPARE(installed(0)->version(), "3.4.5");
        QVERIFY(capture.contains("Command " + dir + "/bin/tool -a -b returned: 3.4.5 [1:-b]"));

        // Without a blank nothing useful runs: no version, and the failure is explained.
        QVERIFY(!installed(1));
        QCOMPARE(
            capture.lines()
                .filter("discoverInstalledTool(): Failed to invoke 'get version' command: " + dir)
                .size(),
            1);
        const QString tag = "[Lmt3rdPartyRegistryParser] ";
        QVERIFY(capture.contains(tag + "the command '" + dir + " ', directory '"
            + QDir::currentPath() + "' - child program failed to start"));
        QVERIFY(capture.contains(
            tag + "Failed to parse the " + dir + "  output - version string not found"));
        QVERIFY(capture.contains(tag
            + "No local version found for the tool: Tool bare scope: all-users installer: exe"));
    }

    void variantsThatAreNotProbedHere_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("absent");
        QTest::newRow("empty version command")
            << "empty-command"
            << "CRITICAL] [Lmt3rdPartyRegistryParser] 'getVersionCLI' field is empty - skipping "
               "discovery for Tool empty scope: all-users installer: exe"
            << "Command ";
        QTest::newRow("registry key off Windows")
            << "registry-key"
            << "Install directory not found for: Tool reg scope: all-users"
            << "Registry key";
    }

    void variantsThatAreNotProbedHere()
    {
        QFETCH(QString, fixture);
        QFETCH(QString, line);
        QFETCH(QString, absent);
        stage(fixture);
        lmttest::LogCapture capture;
        m_parser->parse();
        QVERIFY(!installed(0));
        QVERIFY2(capture.contains(line), qPrintable(line));
        QVERIFY(!capture.contains(absent));
    }

    void pluginListsMarkInstalledPlugins_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QList<bool>>("installedFlags");
        QTest::addColumn<QStringList>("lines");
        const QString tag = "[Lmt3rdPartyRegistryParser] ";
        const QString list = "@DIR@/bin/list.sh --list";
        QTest::newRow("listed") << "plugins-listed" << QList<bool> { true, false, true }
                                << QStringList {
                                       tag + "discoverInstalledPlugins(): " + list
                                           + " returned: A C",
                                       "INFO] " + tag + "Found installed plugin (id): A",
                                       tag + ">> discoverInstalledPlugins() Tool plug 7.1.0",
                                       tag + "<< discoverInstalledPlugins() Tool plug 7.1.0",
                                   };
        // Merged channels: what the command wrote to standard error counts as its output.
        QTest::newRow("list fails")
            << "plugins-list-fails" << QList<bool> { true, true, true }
            << QStringList {
                   "CRITICAL] " + tag
                       + "discoverInstalledPlugins(): Failed to invoke 'Get plugin list' command: "
                       + list,
                   "CRITICAL] " + tag + "discoverInstalledPlugins(): process exited w/ code: 4",
               };
        QTest::newRow("unknown ids")
            << "plugins-unknown" << QList<bool> { false, false, false }
            << QStringList { tag
                   + "No known installed plugins found for the tool: Tool plug , version: 7.1.0" };
    }

    void pluginListsMarkInstalledPlugins()
    {
        QFETCH(QString, fixture);
        QFETCH(QList<bool>, installedFlags);
        QFETCH(QStringList, lines);
        stage(fixture);
        lmttest::LogCapture capture;
        m_parser->parse();

        const auto version = installed(0);
        QStringList ids, names, commands;
        QList<bool> flags;
        for (const auto &plugin : version->plugins()) {
            ids << plugin->id();
            names << plugin->name();
            commands << plugin->installCommand();
            flags << plugin->installed();
        }
        QCOMPARE(ids, QStringList({ "A", "B", "C" }));
        QCOMPARE(names, QStringList({ "Alpha", "Beta", "Gamma" }));
        QCOMPARE(commands,
            QStringList({ "tool --install A --as A", "tool --install B --as B",
                "tool --install C --as C" }));
        QCOMPARE(flags, installedFlags);
        QStringList missing;
        for (int i = 0; i < names.size(); ++i)
            missing << (installedFlags[i] ? QString() : names[i]);
        missing.removeAll(QString());
        QCOMPARE(version->pluginNamesNotInstalled(), missing);
        QCOMPARE(version->hasPluginsNotInstalled(), !missing.isEmpty());
        for (QString line : lines) {
            line.replace("@DIR@", m_root + "/tools/plug");
            QVERIFY2(capture.contains(line), qPrintable(line));
        }
        QCOMPARE(capture.contains("No known installed plugins"), installedFlags.count(true) == 0);
    }

    // What was added before a fault stays; nothing after it is read. Without an installation
    // the plug-in commands are never needed.
    void faultsInAnEntryEndTheParse_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("failure");
        QTest::addColumn<int>("tools");
        const QString missing = "error parsing JSON - missing required property '%1'";
        QTest::newRow("no plug-in commands") << "no-plugin-cli" << missing.arg("pluginCLI") << 1;
        QTest::newRow("no plug-in commands, not installed")
            << "no-plugin-cli-not-installed" << QString() << 1;
        QTest::newRow("no name") << "no-name" << missing.arg("name") << 1;
        QTest::newRow("no address") << "no-url" << missing.arg("externalUrl") << 1;
        QTest::newRow("executable not text")
            << "executable-not-text"
            << "error parsing JSON - required property 'executable' is not a string" << 1;
    }

    void faultsInAnEntryEndTheParse()
    {
        QFETCH(QString, fixture);
        stage(fixture);
        QTEST(parseError(), "failure");
        QTEST(int(m_model->tools().size()), "tools");
        if (fixture == "no-plugin-cli")
            QVERIFY(installed(0));
    }

    void hangingProbesEndAtTheTimeOut()
    {
        stage("hang-version");
        m_parser->setProbeTimeout(500ms);
        lmttest::LogCapture capture;
        QElapsedTimer clock;
        clock.start();
        m_parser->parse();
        QVERIFY(clock.elapsed() < 20000);
        const QString dir = m_root + "/tools/hang";
        QVERIFY(!installed(0));
        QVERIFY(capture.contains("WARNING] [Lmt3rdPartyRegistryParser] Command " + dir
            + "/bin/tool --version did not end within 500 ms - killed, output ignored"));
        QVERIFY(capture.contains("No local version found for the tool: Tool hang"));
        QCOMPARE(m_parser->lastInstallDirectory(), dir);

        // A plug-in list that hangs leaves the version without installed plug-ins.
        init();
        stage("hang-list");
        m_parser->setProbeTimeout(500ms);
        capture.clear();
        clock.restart();
        m_parser->parse();
        QVERIFY(clock.elapsed() < 20000);
        QCOMPARE(installed(0)->pluginsNotInstalled().size(), 1);
        QVERIFY(capture.contains("WARNING] [Lmt3rdPartyRegistryParser] Command " + dir
            + "/bin/list.sh --list did not end within 500 ms"));
    }

    void shippedFileParses()
    {
        m_parser->setApplicationDirectory(lmttest::binDir());
        QCOMPARE(parseError(), QString());
        QStringList featureIds;
        for (const auto &tool : m_model->tools()) {
            featureIds << tool->featureId();
            QCOMPARE(tool->onlineVersions().size(), 1);
        }
        QCOMPARE(featureIds,
            QStringList({ "com.microsoft.vscode", "org.cmake.cmake", "org.git-scm.git" }));
    }
};

QTEST_GUILESS_MAIN(TestLmt3rdPartyRegistryParser)
#include "tst_Lmt3rdPartyRegistryParser.moc"
