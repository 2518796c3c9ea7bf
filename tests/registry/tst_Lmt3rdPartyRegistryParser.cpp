#include "common/LmtTestSupport.h"
#include "model/Lmt3rdPartyLocalToolVersion.h"
#include "model/Lmt3rdPartyOnlineToolVersion.h"
#include "model/Lmt3rdPartyTool.h"
#include "model/LmtCoreToolModel.h"
#include "platform/LmtPlatform.h"
#include "registry/Lmt3rdPartyCommand.h"
#include "registry/Lmt3rdPartyRegistryParser.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <stdexcept>

using namespace zendrel::lmt::setup;
using namespace std::chrono_literals;

namespace {

const QString Version = QStringLiteral("(?<version>\\d+\\.\\d+\\.\\d+)");

// One installation variant probed in candidate directories, tool at "bin/tool".
QJsonObject variant(const QString &installMode, const QJsonArray &locations,
    const QString &versionCommand = "bin/tool --version")
{
    return { { "install-mode", installMode }, { "installerType", "exe" },
        { "executable", "bin/tool" }, { "locationType", "directory" }, { "location", locations },
        { "getVersionCLI", versionCommand }, { "getVersionRegExp", Version },
        { "uninstallScript", "bin/uninstall.sh" } };
}

QJsonObject pluginCli(const QString &listCommand, const QString &installCommand)
{
    return { { zendrel::lmt::platform::osName(),
        QJsonObject { { "getPluginListCLI", listCommand }, { "installCLI", installCommand } } } };
}

QJsonObject toolEntry(const QString &featureId, const QJsonArray &variants,
    const QJsonArray &plugins = {},
    const QJsonObject &cli = pluginCli("bin/list.sh --list", "x {plugin-id}"))
{
    QJsonObject local { { zendrel::lmt::platform::osName(), variants } };
    if (!cli.isEmpty())
        local.insert("pluginCLI", cli);
    return { { "featureId", featureId }, { "name", "Tool " + featureId },
        { "shortName", featureId.toUpper() }, { "plugins", plugins },
        { "packages",
            QJsonObject { { "online", QJsonObject { { "externalUrl", "https://example.org/" } } },
                { "local", local } } } };
}

std::shared_ptr<Lmt3rdPartyLocalToolVersion> installed(
    const std::shared_ptr<LmtTool> &tool, int index = 0)
{
    if (!tool || tool->localVersions().size() <= index)
        return nullptr;
    return std::dynamic_pointer_cast<Lmt3rdPartyLocalToolVersion>(tool->localVersions().at(index));
}

} // namespace

class TestLmt3rdPartyRegistryParser : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;
    std::shared_ptr<LmtCoreToolModel> m_model;
    std::unique_ptr<Lmt3rdPartyRegistryParser> m_parser;

    QString appDir() const { return m_sandbox.filePath("app"); }

    void writeTools(const QJsonArray &tools)
    {
        QVERIFY(lmttest::writeFile(
            appDir() + "/Resources/3rdparty-tools.json", QJsonDocument(tools).toJson()));
    }

    // A stand-in tool: an executable shell script at dir/relative.
    QString installTool(const QString &dir, const QString &relative, const QByteArray &body)
    {
        const QString path = dir + "/" + relative;
        if (!lmttest::writeFile(path, "#!/bin/sh\n" + body, true))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    QString parseError()
    {
        try {
            m_parser->parse();
        } catch (const std::runtime_error &e) {
            return QString::fromUtf8(e.what());
        }
        return {};
    }

private Q_SLOTS:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("LOCAL.debug=true")); }

    void init()
    {
        QDir(appDir()).removeRecursively();
        QDir(m_sandbox.filePath("tools")).removeRecursively();
        QDir(m_sandbox.filePath("home/tools")).removeRecursively();
        m_model = std::make_shared<LmtCoreToolModel>();
        m_parser = std::make_unique<Lmt3rdPartyRegistryParser>(m_model);
        m_parser->setApplicationDirectory(appDir());
    }

    void fileProblemsAbortTheParse()
    {
        QCOMPARE(parseError(), "Resources folder not found!");

        QVERIFY(QDir().mkpath(appDir() + "/Resources"));
        const QString file = appDir() + "/Resources/3rdparty-tools.json";
        QCOMPARE(parseError(), QString("'%1' JSON file not found!").arg(file));

        QVERIFY(lmttest::writeFile(file, "[ {"));
        QVERIFY(!parseError().isEmpty());

        QVERIFY(lmttest::writeFile(file, "{}"));
        QCOMPARE(parseError(), "Invalid document format - file does not contain a JSON Array");

        if (!zendrel::lmt::platform::isElevated()) {
            QVERIFY(QFile::setPermissions(file, QFileDevice::WriteOwner));
            QCOMPARE(parseError(), QString("Cannot open JSON file '%1' for reading").arg(file));
        }
        QVERIFY(m_model->tools().isEmpty());
    }

    void emptyArrayAddsNothing()
    {
        writeTools({});
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
        QJsonObject withVersions = toolEntry("a", {});
        QJsonObject packages = withVersions["packages"].toObject();
        packages["online"] = QJsonObject { { "versions", QJsonArray() } };
        packages["local"] = QJsonObject();
        withVersions["packages"] = packages;
        const QJsonObject plain = toolEntry(
            "b", {}, QJsonArray { QJsonObject { { "id", "p1" }, { "name", "Plug 1" } } });
        writeTools({ withVersions, 42, plain, plain });

        QSignalSpy ui(m_parser.get(), &ILmtRegistryParser::appendUILog);
        lmttest::LogCapture capture;
        m_parser->parse();

        QCOMPARE(m_model->tools().size(), 3); // the repeated entry is a tool of its own
        const auto a = std::dynamic_pointer_cast<Lmt3rdPartyTool>(m_model->tools().at(0));
        QVERIFY(a);
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
        QVERIFY(offered);
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
        const QString dir = m_sandbox.filePath("tools/one");
        installTool(dir, "bin/tool", "echo \"Tool version 1.2.3 ($1)\"\nexit 1\n");
        installTool(dir, "bin/list.sh", "echo none\n");
        writeTools({ toolEntry("one", { variant("all-users", { dir }) }) });

        QSignalSpy ui(m_parser.get(), &ILmtRegistryParser::appendUILog);
        lmttest::LogCapture capture;
        m_parser->parse();

        const auto version = installed(m_model->tools().first());
        QVERIFY(version);
        QCOMPARE(version->version(), "1.2.3");
        QVERIFY(version->selected());
        QCOMPARE(version->installScope(), LmtToolInstallScope::AllUsers);
        QCOMPARE(version->installDirectory(), dir);
        QCOMPARE(version->path(), dir + "/bin/tool");
        QCOMPARE(version->uninstallPath(), dir + "/bin/uninstall.sh");
        QCOMPARE(version->entryName(), "Tool one");
        QCOMPARE(m_parser->lastInstallDirectory(), dir);

        const QString command = dir + "/bin/tool --version";
        QVERIFY(capture.contains("CRITICAL] [Lmt3rdPartyRegistryParser] discoverInstalledTool(): "
                                 "Failed to invoke 'get version' command: "
            + command));
        QVERIFY(capture.contains("CRITICAL] [Lmt3rdPartyRegistryParser] discoverInstalledTool(): "
                                 "process exited w/ code: 1"));
        QVERIFY(capture.contains("INFO] [Lmt3rdPartyRegistryParser] Command " + command
            + " returned: Tool version 1.2.3 (--version)"));
        QVERIFY(capture.contains("[Lmt3rdPartyRegistryParser] >> discoverInstalledTool(): Tool "
                                 "one scope: all-users installer: exe"));
        QVERIFY(capture.contains("[Lmt3rdPartyRegistryParser] Found install directory: " + dir));
        QVERIFY(capture.contains("[Lmt3rdPartyRegistryParser] Found installed version: 1.2.3 for "
                                 "the tool Tool one scope: all-users installer: exe"));
        QVERIFY(capture.contains("[Lmt3rdPartyRegistryParser] << discoverInstalledTool() Tool one "
                                 "scope: all-users installer: exe"));
        QVERIFY(ui.count() >= 3);
        QCOMPARE(ui.at(2).first().toString(),
            "Discovered installed 3rd party tool 'Tool one', version 1.2.3");
    }

    void userHomeOnlyForCurrentUser()
    {
        const QString home = QDir::homePath();
        installTool(home + "/tools/x", "bin/tool", "echo 2.0.1\n");
        installTool(home + "/tools/x", "bin/list.sh", "echo\n");
        writeTools({ toolEntry("cu", { variant("current-user", { "{userhome}/tools/x" }) }),
            toolEntry("au", { variant("all-users", { "{userhome}/tools/x" }) }),
            toolEntry("other", { variant("per-machine", { home + "/tools/x" }) }) });
        lmttest::LogCapture capture;
        m_parser->parse();

        const auto currentUser = installed(m_model->tools().at(0));
        QVERIFY(currentUser);
        QCOMPARE(currentUser->installDirectory(), home + "/tools/x");
        QCOMPARE(currentUser->installScope(), LmtToolInstallScope::CurrentUser);

        QVERIFY(m_model->tools().at(1)->localVersions().isEmpty());
        QVERIFY(capture.contains("WARNING] [Lmt3rdPartyRegistryParser] Could not find the tool in "
                                 "the directory: {userhome}/tools/x"));
        QVERIFY(capture.contains("INFO] [Lmt3rdPartyRegistryParser] Install directory not found "
                                 "for: Tool au scope: all-users installer: exe"));

        // Any mode other than "all-users" installs for the current user.
        const auto other = installed(m_model->tools().at(2));
        QVERIFY(other);
        QCOMPARE(other->installScope(), LmtToolInstallScope::CurrentUser);
    }

    void commandLineSplitting()
    {
        auto command = Lmt3rdPartyCommand::fromCommandLine("bin/tool --version");
        QCOMPARE(command.program(), "bin/tool");
        QCOMPARE(command.arguments(), QStringList { "--version" });
        command = Lmt3rdPartyCommand::fromCommandLine("bin/tool -a -b");
        QCOMPARE(command.program(), "bin/tool -a");
        QCOMPARE(command.arguments(), QStringList { "-b" });
        command = Lmt3rdPartyCommand::fromCommandLine("bin/tool");
        QCOMPARE(command.program(), QString());
        QCOMPARE(command.arguments(), QStringList { QString() });
        command = Lmt3rdPartyCommand::fromCommandLine("bin/tool\t-x");
        QCOMPARE(command.program(), "bin/tool");
        QCOMPARE(command.arguments(), QStringList { "-x" });

        // The program really is "bin/tool -a", run with the single argument "-b".
        const QString dir = m_sandbox.filePath("tools/split");
        installTool(dir, "bin/tool", "echo 9.9.9\n");
        installTool(dir, "bin/tool -a", "echo \"3.4.5 [$#:$1]\"\n");
        installTool(dir, "bin/list.sh", "echo\n");
        writeTools({ toolEntry("split", { variant("all-users", { dir }, "bin/tool -a -b") }),
            toolEntry("bare", { variant("all-users", { dir }, "bin/tool") }) });
        lmttest::LogCapture capture;
        m_parser->parse();

        const auto split = installed(m_model->tools().at(0));
        QVERIFY(split);
        QCOMPARE(split->version(), "3.4.5");
        QVERIFY(capture.contains("Command " + dir + "/bin/tool -a -b returned: 3.4.5 [1:-b]"));

        // Without a blank nothing useful runs: no version, and the failure is explained.
        QVERIFY(m_model->tools().at(1)->localVersions().isEmpty());
        QVERIFY(capture.lines()
                    .filter("discoverInstalledTool(): Failed to invoke 'get version' "
                            "command: "
                        + dir)
                    .size()
            == 1);
        QVERIFY(capture.contains("[Lmt3rdPartyRegistryParser] the command '" + dir
            + " ', "
              "directory '"
            + QDir::currentPath()
            + "' - child program failed "
              "to start"));
        QVERIFY(capture.contains("[Lmt3rdPartyRegistryParser] Failed to parse the " + dir
            + "  output - version string not found"));
        QVERIFY(capture.contains("[Lmt3rdPartyRegistryParser] No local version found for the "
                                 "tool: Tool bare scope: all-users installer: exe"));
    }

    void emptyVersionCommandSkipsDiscovery()
    {
        const QString dir = m_sandbox.filePath("tools/empty");
        installTool(dir, "bin/tool", "echo 1.0.0\n");
        writeTools({ toolEntry("empty", { variant("all-users", { dir }, "") }) });
        lmttest::LogCapture capture;
        m_parser->parse();
        QVERIFY(m_model->tools().first()->localVersions().isEmpty());
        QVERIFY(capture.contains("CRITICAL] [Lmt3rdPartyRegistryParser] 'getVersionCLI' field is "
                                 "empty - skipping discovery for Tool empty scope: all-users "
                                 "installer: exe"));
    }

    void registryVariantsAreSkippedOffWindows()
    {
        const QString dir = m_sandbox.filePath("tools/reg");
        installTool(dir, "bin/tool", "echo 1.0.0\n");
        QJsonObject regKey = variant("all-users", {});
        regKey["locationType"] = "RegKey";
        regKey["location"] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Tool";
        regKey["locationRegEntry"] = "InstallDir";
        writeTools({ toolEntry("reg", { regKey }) });
        lmttest::LogCapture capture;
        m_parser->parse();
        QVERIFY(m_model->tools().first()->localVersions().isEmpty());
        QVERIFY(capture.contains("Install directory not found for: Tool reg scope: all-users"));
        QVERIFY(!capture.contains("Registry key"));
    }

    void pluginsGetCommandsAndInstalledFlags()
    {
        const QString dir = m_sandbox.filePath("tools/plug");
        installTool(dir, "bin/tool", "echo 7.1.0\n");
        installTool(dir, "bin/list.sh", "[ \"$1\" = --list ] || exit 2\necho 'A\nC'\n");
        const QJsonArray plugins { QJsonObject { { "id", "A" }, { "name", "Alpha" } },
            QJsonObject { { "id", "B" }, { "name", "Beta" } },
            QJsonObject { { "id", "C" }, { "name", "Gamma" } } };
        writeTools({ toolEntry("plug", { variant("all-users", { dir }) }, plugins,
            pluginCli("bin/list.sh --list", "tool --install {plugin-id} --as {plugin-id}")) });
        lmttest::LogCapture capture;
        m_parser->parse();

        const auto version = installed(m_model->tools().first());
        QVERIFY(version);
        QCOMPARE(version->plugins().size(), 3);
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
        QCOMPARE(flags, QList<bool>({ true, false, true }));
        QCOMPARE(version->pluginNamesNotInstalled(), QStringList { "Beta" });
        QVERIFY(capture.contains("[Lmt3rdPartyRegistryParser] discoverInstalledPlugins(): " + dir
            + "/bin/list.sh --list returned: A C"));
        QVERIFY(capture.contains("INFO] [Lmt3rdPartyRegistryParser] Found installed plugin (id): "
                                 "A"));
        QVERIFY(capture.contains("[Lmt3rdPartyRegistryParser] >> discoverInstalledPlugins() Tool "
                                 "plug 7.1.0"));
        QVERIFY(capture.contains("[Lmt3rdPartyRegistryParser] << discoverInstalledPlugins() Tool "
                                 "plug 7.1.0"));
        QVERIFY(!capture.contains("No known installed plugins"));

        // A failing list command leaves every plug-in not installed.
        init();
        installTool(dir, "bin/tool", "echo 7.1.0\n");
        installTool(dir, "bin/list.sh", "echo 'A B C' >&2\nexit 4\n");
        writeTools({ toolEntry("plug", { variant("all-users", { dir }) }, plugins) });
        capture.clear();
        m_parser->parse();
        QVERIFY(capture.contains("CRITICAL] [Lmt3rdPartyRegistryParser] "
                                 "discoverInstalledPlugins(): Failed to invoke 'Get plugin list' "
                                 "command: "
            + dir + "/bin/list.sh --list"));
        QVERIFY(capture.contains("CRITICAL] [Lmt3rdPartyRegistryParser] "
                                 "discoverInstalledPlugins(): process exited w/ code: 4"));
        // Merged channels: what the command wrote to standard error counts as its output.
        QCOMPARE(installed(m_model->tools().first())->pluginsNotInstalled().size(), 0);

        init();
        installTool(dir, "bin/tool", "echo 7.1.0\n");
        installTool(dir, "bin/list.sh", "echo other.plugin\n");
        writeTools({ toolEntry("plug", { variant("all-users", { dir }) }, plugins) });
        capture.clear();
        m_parser->parse();
        QCOMPARE(installed(m_model->tools().first())->pluginsNotInstalled().size(), 3);
        QVERIFY(capture.contains("[Lmt3rdPartyRegistryParser] No known installed plugins found "
                                 "for the tool: Tool plug , version: 7.1.0"));
    }

    void missingPluginCliAbortsTheParse()
    {
        const QString dir = m_sandbox.filePath("tools/nocli");
        installTool(dir, "bin/tool", "echo 1.1.1\n");
        writeTools({ toolEntry("nocli", { variant("all-users", { dir }) }, {}, QJsonObject()),
            toolEntry("after", {}) });
        QCOMPARE(parseError(), "error parsing JSON - missing required property 'pluginCLI'");
        // What was added before the failure stays; nothing after it is read.
        QCOMPARE(m_model->tools().size(), 1);
        QCOMPARE(m_model->tools().first()->localVersions().size(), 1);

        // Without an installation the plug-in commands are never needed.
        init();
        writeTools({ toolEntry(
            "absent", { variant("all-users", { dir + "/nowhere" }) }, {}, QJsonObject()) });
        QCOMPARE(parseError(), QString());
    }

    void missingRequiredKeysAbortTheParse()
    {
        QJsonObject noName = toolEntry("n", {});
        noName.remove("name");
        writeTools({ toolEntry("first", {}), noName });
        QCOMPARE(parseError(), "error parsing JSON - missing required property 'name'");
        QCOMPARE(m_model->tools().size(), 1);

        init();
        QJsonObject noUrl = toolEntry("u", {});
        QJsonObject packages = noUrl["packages"].toObject();
        packages["online"] = QJsonObject();
        noUrl["packages"] = packages;
        writeTools({ noUrl });
        QCOMPARE(parseError(), "error parsing JSON - missing required property 'externalUrl'");

        init();
        QJsonObject badVariant = variant("all-users", {});
        badVariant["executable"] = 5;
        writeTools({ toolEntry("v", { badVariant }) });
        QCOMPARE(
            parseError(), "error parsing JSON - required property 'executable' is not a string");
    }

    void hangingProbesEndAtTheTimeOut()
    {
        const QString dir = m_sandbox.filePath("tools/hang");
        installTool(dir, "bin/tool", "sleep 60 &\nwait\n");
        installTool(dir, "bin/list.sh", "echo A\n");
        m_parser->setProbeTimeout(500ms);
        writeTools({ toolEntry("hang", { variant("all-users", { dir }) }) });
        lmttest::LogCapture capture;
        QElapsedTimer clock;
        clock.start();
        m_parser->parse();
        QVERIFY(clock.elapsed() < 20000);
        QVERIFY(m_model->tools().first()->localVersions().isEmpty());
        QVERIFY(capture.contains("WARNING] [Lmt3rdPartyRegistryParser] Command " + dir
            + "/bin/tool --version did not end within 500 ms - killed, "
              "output ignored"));
        QVERIFY(capture.contains("No local version found for the tool: Tool hang"));
        QCOMPARE(m_parser->lastInstallDirectory(), dir);

        // A plug-in list that hangs leaves the version without installed plug-ins.
        init();
        installTool(dir, "bin/tool", "echo 5.0.0\n");
        installTool(dir, "bin/list.sh", "echo A\nexec sleep 60\n");
        m_parser->setProbeTimeout(500ms);
        writeTools({ toolEntry("hang", { variant("all-users", { dir }) },
            QJsonArray { QJsonObject { { "id", "A" }, { "name", "Alpha" } } }) });
        capture.clear();
        clock.restart();
        m_parser->parse();
        QVERIFY(clock.elapsed() < 20000);
        const auto version = installed(m_model->tools().first());
        QVERIFY(version);
        QCOMPARE(version->pluginsNotInstalled().size(), 1);
        QVERIFY(capture.contains("WARNING] [Lmt3rdPartyRegistryParser] Command " + dir
            + "/bin/list.sh --list did not end within 500 ms"));
    }

    void shippedFileParses()
    {
        const QString shipped = lmttest::binDir();
        QVERIFY(QFile::exists(shipped + "/Resources/3rdparty-tools.json"));
        m_parser->setApplicationDirectory(shipped);
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
