#include "base/LmtFolders.h"
#include "common/LmtTableRows.h"
#include "model/LmtLocalToolVersion.h"
#include "model/LmtOnlineToolVersion.h"
#include "model/LmtTool.h"
#include "registry/LmtKorRegistryLocationProvider.h"
#include "registry/LmtLocalRegistryParser.h"
#include "registry/LmtParsedCatalogue.h"

#include <QtTest>

using namespace zendrel::lmt::setup;

namespace {

// Hands out fixed directories, so a test decides where each scope's files are.
struct FixedLocations : ILmtRegistryLocationProvider {
    QMap<int, QDir> directories;
    QMap<int, QDir> registryDirectories() const override { return directories; }
};

} // namespace

class TestLmtLocalRegistryParser : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;
    std::shared_ptr<LmtCoreToolModel> m_model;
    QString m_root;

    std::unique_ptr<LmtLocalRegistryParser> makeParser(bool withDirectories = true)
    {
        auto locations = std::make_unique<FixedLocations>();
        if (withDirectories)
            locations->directories
                = { { int(LmtToolInstallScope::CurrentUser), m_root + "/current" },
                      { int(LmtToolInstallScope::AllUsers), m_root + "/all" } };
        return std::make_unique<LmtLocalRegistryParser>(m_model, std::move(locations));
    }

    // Stages the case below tests/data/registry/local/ in a fresh folder: "current" and "all"
    // are the two scopes' registries.
    void stage(const QString &name)
    {
        static int round = 0;
        m_root = m_sandbox.filePath(QString("round%1").arg(++round));
        lmttest::stage("registry/local/" + name, m_root, { { "@ROOT@", m_root } });
    }

private Q_SLOTS:
    void init() { m_model = std::make_shared<LmtCoreToolModel>(); }

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
        QVERIFY(QDir().mkpath(directories[0].filePath("Tools")));
        QCOMPARE(downloadsDirectory().path(), directories[0].absoluteFilePath("Tools"));
    }

    // Each case of tests/data/registry/local-cases.txt is parsed and compared with its .expected
    // file below tests/data/registry/local/.
    void casesParseAsExpected_data()
    {
        lmttest::rowsFrom(
            "registry/local-cases.txt", { "fixture", "expected", "locked", "rights" });
    }

    void casesParseAsExpected()
    {
        QFETCH(QString, fixture);
        QFETCH(QString, expected);
        QFETCH(QString, locked);
        QFETCH(QString, rights);
        if (!locked.isEmpty() && lmttest::rerunUnprivileged())
            return;
        lmttest::LogCapture capture;
        stage(fixture);
        // An installed tool that is offered as well keeps the offered tool's record.
        if (fixture == "external") {
            const auto tool = LmtTool::create("com.g", LmtToolType::External, "Online name", false);
            m_model->addTool(tool);
            tool->addVersion(LmtOnlineToolVersion::create("1.0.0.0", 5, 1));
        }
        const QString lockedPath = m_root + "/" + locked;
        QVERIFY(locked.isEmpty()
            || QFile::setPermissions(lockedPath, QFileDevice::Permissions(rights.toInt() << 12)));
        const auto restore = qScopeGuard(
            [&] { QFile::setPermissions(lockedPath, QFileDevice::Permissions(7 << 12)); });
        auto parser = makeParser(fixture != "no-directories");
        QSignalSpy panel(parser.get(), &ILmtRegistryParser::appendUILog);
        const QString failure = lmttest::failureOf([&] { parser->parse(); });
        lmttest::compareWithExpected(
            lmttest::catalogueLines(*m_model) + lmttest::panelLines(panel) << "failure " + failure,
            capture.lines(), "registry/local/" + expected + ".expected", { { "@ROOT@", m_root } });
    }

    void theSetupsOwnFileSetsItsScope()
    {
        QCoreApplication::setApplicationVersion("1.2.0.787");
        stage("setup");
        auto parser = makeParser();
        parser->parse();
        QCOMPARE(parser->setupInstallScope(), 0);

        const QString own = m_root + "/all/setup.json";
        QVERIFY(QFile::copy(lmttest::fixturePath("registry/local/setup.json"), own));
        parser->parse();
        QCOMPARE(parser->setupInstallScope(), 1);
        // Without a type the setup itself is not listed as a tool.
        QVERIFY(!m_model->findTool("com.zdr.tb.tool.lumetrasetup"));

        // Once found, the scope is kept even when the file is gone.
        QVERIFY(QFile::remove(own));
        parser->parse();
        QCOMPARE(parser->setupInstallScope(), 1);
    }
};

QTEST_GUILESS_MAIN(TestLmtLocalRegistryParser)
#include "tst_LmtLocalRegistryParser.moc"
