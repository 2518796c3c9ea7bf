#include "base/LmtFolders.h"
#include "common/LmtSignalRecords.h"
#include "common/LmtTestSupport.h"
#include "model/LmtCoreToolModel.h"
#include "model/LmtLocalToolVersion.h"
#include "model/LmtOnlineToolVersion.h"
#include "model/LmtTool.h"
#include "model/LmtToolDependency.h"
#include "registry/LmtKorRegistryLocationProvider.h"
#include "registry/LmtLocalRegistryParser.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QtTest>

using namespace zendrel::lmt::setup;

namespace {

// Hands out fixed directories, so a test decides where each scope's files are.
class FixedLocations : public ILmtRegistryLocationProvider
{
public:
    explicit FixedLocations(QMap<int, QDir> directories)
        : m_directories(std::move(directories))
    {
    }
    QMap<int, QDir> registryDirectories() const override { return m_directories; }

private:
    QMap<int, QDir> m_directories;
};

QJsonObject entry(const QString &featureId, const QString &version, const QJsonObject &extra = {})
{
    QJsonObject e { { "featureId", featureId }, { "title", "Title of " + featureId },
        { "versionNumeric", 321 }, { "version", version },
        { "attributes", QJsonObject { { "lmt-type", "tools" } } } };
    for (auto it = extra.begin(); it != extra.end(); ++it)
        e.insert(it.key(), it.value());
    return e;
}

} // namespace

class TestLmtLocalRegistryParser : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;
    std::shared_ptr<LmtCoreToolModel> m_model;
    QDir m_currentUser;
    QDir m_allUsers;

    std::unique_ptr<LmtLocalRegistryParser> makeParser()
    {
        QMap<int, QDir> directories { { int(LmtToolInstallScope::CurrentUser), m_currentUser },
            { int(LmtToolInstallScope::AllUsers), m_allUsers } };
        return std::make_unique<LmtLocalRegistryParser>(
            m_model, std::make_unique<FixedLocations>(directories));
    }

    QString write(const QDir &dir, const QString &name, const QJsonObject &object)
    {
        const QString path = dir.filePath(name);
        lmttest::writeFile(path, QJsonDocument(object).toJson());
        return path;
    }

    std::shared_ptr<LmtLocalToolVersion> installed(const QString &featureId, int index = 0)
    {
        const auto tool = m_model->findTool(featureId);
        if (!tool || tool->localVersions().size() <= index)
            return nullptr;
        return std::dynamic_pointer_cast<LmtLocalToolVersion>(tool->localVersions()[index]);
    }

private Q_SLOTS:
    void init()
    {
        m_model = std::make_shared<LmtCoreToolModel>();
        static int round = 0;
        const QString root = m_sandbox.filePath(QString("round%1").arg(++round));
        m_currentUser = QDir(root + "/current");
        m_allUsers = QDir(root + "/all");
        QDir().mkpath(m_currentUser.path());
        QDir().mkpath(m_allUsers.path());
    }

    void locationsFollowTheEnvironment()
    {
        // The sandbox points both variables into its own folder.
        const auto directories = LmtKorRegistryLocationProvider().registryDirectories();
        QCOMPARE(directories.keys(), QList<int>({ 0, 1 }));
        QCOMPARE(directories[0].path(),
            qEnvironmentVariable("LOCALAPPDATA") + "/Zendrel_Technologies_AG/Zendrel-Toolbox");
        QCOMPARE(directories[1].path(),
            qEnvironmentVariable("ALLUSERSPROFILE") + "/Zendrel_Technologies_AG/Zendrel-Toolbox");

        // Downloads live in the current user's folder, in its "Tools" folder once that exists.
        QCOMPARE(downloadsDirectory().path(), directories[0].absolutePath());
        QVERIFY(downloadsDirectory().isAbsolute());
        QVERIFY(QDir().mkpath(directories[0].filePath("Tools")));
        QCOMPARE(downloadsDirectory().path(), directories[0].absoluteFilePath("Tools"));
    }

    void sameVersionInBothScopes()
    {
        lmttest::LogCapture capture;
        const QString tool = "com.zdr.tb.tool.lumetra";
        write(m_currentUser, "a.json", entry(tool, "3.2.0.1234", { { "title", "" } }));
        write(m_allUsers, "b.json", entry(tool, "3.2.0.1234", { { "title", "" } }));
        auto parser = makeParser();
        QSignalSpy panel(parser.get(), &ILmtRegistryParser::appendUILog);
        parser->parse();

        QCOMPARE(m_model->tools().size(), 1);
        const auto current = installed(tool, 0);
        const auto all = installed(tool, 1);
        QCOMPARE(current->installScope(), LmtToolInstallScope::CurrentUser);
        QCOMPARE(all->installScope(), LmtToolInstallScope::AllUsers);
        QCOMPARE(current->displayName(), "Lumetra Tools Package (Current user)");
        QCOMPARE(all->displayName(), "Lumetra Tools Package (All users)");
        QVERIFY(current->selected());
        QCOMPARE(current->versionNumeric(), quint64(321));
        QCOMPARE(m_model->findTool(tool)->loginRequired(), true);

        QCOMPARE(panel.size(), 3);
        QCOMPARE(panel[0][0].toString(), "Parse Local KOR Registry");
        QCOMPARE(panel[1][0].toString(),
            "Discovered installed tool 'Lumetra Tools Package', version 3.2.0.1234");
        QCOMPARE(panel[1][1].value<ConsoleMessageType>(), ConsoleMessageType::Auto);
        QVERIFY(capture.contains(
            "[LmtLocalRegistryParser] >>> Scanning directory: " + m_currentUser.absolutePath()));
        QVERIFY(capture.contains("[LmtLocalRegistryParser] <<< Successfully parsed directory: "
            + m_allUsers.absolutePath()));
    }

    void versionTextsAndPaths()
    {
        lmttest::LogCapture capture;
        const QString existing = m_sandbox.filePath("installed/tool.bin");
        lmttest::writeFile(existing, "x");
        const QString threeParts = write(m_currentUser, "three.json", entry("com.a", "3.2.0"));
        write(m_currentUser, "beta.json",
            entry("com.b", "3.2.0.1234-beta",
                { { "path", existing }, { "uninstallPath", "/opt/b/uninstall" },
                    { "attributes",
                        QJsonObject { { "lmt-type", "patch" }, { "entry-name", "B!" } } },
                    { "dependencies",
                        QJsonArray { QJsonObject { { "targetFeatureId", "com.c" },
                            { "minVersionNumeric", -5 }, { "maxVersionNumeric", 9 } } } } }));
        write(m_currentUser, "nopath.json", entry("com.c", "1.0.0.0"));
        const QString gone = m_sandbox.filePath("not/there");
        const QString vanished
            = write(m_currentUser, "gone.json", entry("com.d", "1.0.0.0", { { "path", gone } }));

        auto parser = makeParser();
        QSignalSpy panel(parser.get(), &ILmtRegistryParser::appendUILog);
        parser->parse();

        QVERIFY(!m_model->findTool("com.a"));
        QVERIFY(capture.contains("[LmtLocalRegistryParser] Error parsing file '" + threeParts
            + "' - Cannot parse JSON object version: 3.2.0"));

        const auto beta = installed("com.b");
        QCOMPARE(beta->version(), "3.2.0.1234");
        QCOMPARE(beta->path(), existing);
        QCOMPARE(beta->entryName(), "B!");
        QCOMPARE(beta->uninstallPath(), "/opt/b/uninstall");
        QCOMPARE(m_model->findTool("com.b")->type(), LmtToolType::Patch);
        QCOMPARE(beta->dependencies().size(), 1);
        QCOMPARE(beta->dependencies()[0]->minVersionNumeric, quint64(0));
        QCOMPARE(beta->dependencies()[0]->maxVersionNumeric, quint64(9));

        const auto noPath = installed("com.c");
        QVERIFY(noPath);
        QCOMPARE(noPath->path(), QString());
        QCOMPARE(noPath->entryName(), QString());

        // A registered path that vanished: skipped, with advice in the panel.
        QVERIFY(!m_model->findTool("com.d"));
        QVERIFY(capture.contains(
            "[LmtLocalRegistryParser] Entry path: '" + gone + "' does not exists on the disk"));
        bool advised = false;
        for (const auto &signal : panel) {
            if (signal[0].toString()
                == "The Zendrel tools registry file '" + vanished
                    + "' defines the 'Title of com.d' installation path as '" + gone
                    + "', but the file doesn't exist on disk. Consider removing the registry "
                      "file to get rid of this error.") {
                advised = true;
                QCOMPARE(signal[1].value<ConsoleMessageType>(), ConsoleMessageType::Warning);
            }
        }
        QVERIFY(advised);
    }

    void unknownAndBrokenFilesAreSkipped()
    {
        lmttest::LogCapture capture;
        QJsonObject other = entry("com.someone.else", "1.0.0.0");
        other.remove("attributes");
        other.insert("type", "tool");
        write(m_currentUser, "other.json", other);
        const QString array = m_currentUser.filePath("array.json");
        lmttest::writeFile(array, "[1, 2]");
        QJsonObject noTitle = entry("com.e", "1.0.0.0");
        noTitle.remove("title");
        const QString untitled = write(m_currentUser, "untitled.json", noTitle);
        lmttest::writeFile(m_currentUser.filePath("notes.txt"), "{}");
        write(m_allUsers, "good.json", entry("com.f", "2.0.0.0"));

        auto parser = makeParser();
        parser->parse();

        QCOMPARE(m_model->tools().size(), 1);
        QVERIFY(m_model->findTool("com.f"));
        QCOMPARE(capture.lines().filter("com.someone.else").size(), 0);
        QVERIFY(capture.contains("[LmtLocalRegistryParser] Error parsing file '" + array
            + "' - file does not contain a JSON object"));
        QVERIFY(capture.contains("Error parsing file '" + untitled
            + "' - error parsing JSON - missing required property 'title'"));
        QCOMPARE(capture.lines().filter("notes.txt").size(), 0);
    }

    void missingDirectoriesAndNoDirectories()
    {
        lmttest::LogCapture capture;
        m_allUsers = QDir(m_sandbox.filePath("nowhere"));
        write(m_currentUser, "good.json", entry("com.f", "2.0.0.0"));
        makeParser()->parse();
        QVERIFY(m_model->findTool("com.f"));
        QVERIFY(capture.contains("[LmtLocalRegistryParser] Directory '" + m_allUsers.absolutePath()
            + "' does not exist"));

        LmtLocalRegistryParser empty(m_model, std::make_unique<FixedLocations>(QMap<int, QDir>()));
        empty.parse();
        QVERIFY(capture.contains("[LmtLocalRegistryParser] No KOR Registry directories provided to "
                                 "be parsed"));
    }

    void unreadableDirectoryFailsTheRefresh_data()
    {
        QTest::addColumn<QFileDevice::Permissions>("permissions");
        QTest::newRow("no rights") << QFileDevice::Permissions();
        QTest::newRow("cannot be listed") << (QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QTest::newRow("files cannot be reached")
            << (QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    // The user's installations cannot be read: the parse fails and says why (the refresh shows
    // that text), instead of showing the tools installed there as not installed.
    void unreadableDirectoryFailsTheRefresh()
    {
        if (lmttest::rerunUnprivileged())
            return;
        QFETCH(QFileDevice::Permissions, permissions);
        lmttest::LogCapture capture;
        write(m_currentUser, "f.json", entry("com.f", "2.0.0.0"));
        write(m_allUsers, "g.json", entry("com.g", "2.0.0.0"));
        const QString path = m_currentUser.absolutePath();
        QVERIFY(QFile::setPermissions(path, permissions));
        const auto restore = qScopeGuard([&] {
            QFile::setPermissions(
                path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        });

        auto parser = makeParser();
        try {
            parser->parse();
            QFAIL("an unreadable directory did not fail the parse");
        } catch (const std::runtime_error &failure) {
            QCOMPARE(QString::fromStdString(failure.what()),
                "Cannot read the registry directory '" + path + "': Permission denied");
        }
        QVERIFY(capture.contains("[LmtLocalRegistryParser] Failed to parse directory '" + path));
        QVERIFY(!capture.contains("Successfully parsed directory: " + path));
    }

    // One file that cannot be read is skipped like a broken one, the others are listed, and
    // the log panel says which installation is missing from the list.
    void unreadableFileIsSkippedWithAWarning()
    {
        if (lmttest::rerunUnprivileged())
            return;
        lmttest::LogCapture capture;
        const QString locked = write(m_currentUser, "locked.json", entry("com.e", "2.0.0.0"));
        write(m_currentUser, "f.json", entry("com.f", "2.0.0.0"));
        QVERIFY(QFile::setPermissions(locked, QFileDevice::WriteOwner));
        auto parser = makeParser();
        QSignalSpy uiLog(parser.get(), &ILmtRegistryParser::appendUILog);
        parser->parse();

        QVERIFY(!m_model->findTool("com.e"));
        QVERIFY(m_model->findTool("com.f"));
        QVERIFY(capture.contains(
            "[LmtLocalRegistryParser] cannot open registry file '" + locked + "' for reading"));
        QVERIFY(uiLog.contains(QList<QVariant> { "The Zendrel tools registry file '" + locked
                + "' cannot be read: Permission denied. The installation it records is not "
                  "listed.",
            QVariant::fromValue(ConsoleMessageType::Warning) }));
    }

    void installedNextToAnOfferedVersion()
    {
        const auto tool = LmtTool::create("com.g", LmtToolType::External, "Online name", false);
        m_model->addTool(tool);
        tool->addVersion(LmtOnlineToolVersion::create("1.0.0.0", 5, 1));
        write(m_currentUser, "g.json",
            entry("com.g", "1.0.0.0",
                { { "attributes", QJsonObject { { "lmt-type", "external" } } } }));
        makeParser()->parse();

        QCOMPARE(m_model->tools().size(), 1);
        QCOMPARE(tool->onlineVersions().size(), 1);
        QCOMPARE(tool->localVersions().size(), 1);
        QCOMPARE(tool->loginRequired(), false); // the existing tool is kept as it is
    }

    void theSetupsOwnFileSetsItsScope()
    {
        QCoreApplication::setApplicationVersion("1.2.0.787");
        const QString setup = "com.zdr.tb.tool.lumetrasetup";
        QJsonObject own = entry(setup, "1.2.0.787");
        own.remove("attributes");
        QJsonObject older = entry(setup, "1.1.0.500");
        older.remove("attributes");

        write(m_allUsers, "setup-old.json", older);
        auto parser = makeParser();
        parser->parse();
        QCOMPARE(parser->setupInstallScope(), 0);

        write(m_allUsers, "setup.json", own);
        parser->parse();
        QCOMPARE(parser->setupInstallScope(), 1);
        // Without a type the setup itself is not listed as a tool.
        QVERIFY(!m_model->findTool(setup));

        // Once found, the scope is kept even when the file is gone.
        QFile::remove(m_allUsers.filePath("setup.json"));
        parser->parse();
        QCOMPARE(parser->setupInstallScope(), 1);
    }
};

QTEST_GUILESS_MAIN(TestLmtLocalRegistryParser)
#include "tst_LmtLocalRegistryParser.moc"
