#include "common/LmtTableRows.h"
#include "registry/Lmt3rdPartyCommand.h"
#include "registry/Lmt3rdPartyRegistryParser.h"
#include "registry/LmtParsedCatalogue.h"

#include <QtTest>

using namespace zendrel::lmt::setup;
using namespace std::chrono_literals;

class TestLmt3rdPartyRegistryParser : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;
    std::shared_ptr<LmtCoreToolModel> m_model;
    std::unique_ptr<Lmt3rdPartyRegistryParser> m_parser;
    const QString m_root = m_sandbox.filePath("stage");

    QString parseError()
    {
        return lmttest::failureOf([this] { m_parser->parse(); });
    }

private Q_SLOTS:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("LOCAL.debug=true")); }

    void init()
    {
        QDir(m_root).removeRecursively();
        QDir(QDir::homePath() + "/tools").removeRecursively();
        m_model = std::make_shared<LmtCoreToolModel>();
        m_parser = std::make_unique<Lmt3rdPartyRegistryParser>(m_model);
        m_parser->setApplicationDirectory(m_root + "/app");
    }

    void fileProblemsAbortTheParse_data()
    {
        lmttest::rowsFrom("registry/3rdparty-file-problems.txt", { "content", "failure" });
    }
    void fileProblemsAbortTheParse()
    {
        QFETCH(QString, content);
        QFETCH(QString, failure);
        if (content == "(unreadable)" && lmttest::rerunUnprivileged())
            return;
        QCOMPARE(parseError(), "Resources folder not found!");
        const QString file = m_root + "/app/Resources/3rdparty-tools.json";
        QVERIFY(QDir().mkpath(m_root + "/app/Resources"));
        QVERIFY(content == "(none)" || lmttest::writeFile(file, content.toUtf8()));
        QVERIFY(content != "(unreadable)" || QFile::setPermissions(file, QFileDevice::WriteOwner));
        QCOMPARE(parseError(), failure.replace("{file}", file));
        QVERIFY(m_model->tools().isEmpty());
    }

    // Each case below tests/data/registry/3rdparty/ is parsed and compared with its .expected
    // file: tools, offered and installed versions, plug-ins, panel lines, failure and log lines.
    void casesParseAsExpected_data() { lmttest::rowsPerFile("registry/3rdparty", ".expected"); }

    void casesParseAsExpected()
    {
        QFETCH(QString, name);
        const QMap<QString, QString> places { { "@ROOT@", m_root }, { "@HOME@", QDir::homePath() },
            { "@CWD@", QDir::currentPath() } };
        // "app" holds the tools file, "tools" the scripts that stand in for installed tools.
        lmttest::stage("registry/3rdparty/" + name, m_root, places);
        const bool hangs = name.startsWith("hang");
        if (hangs)
            m_parser->setProbeTimeout(500ms);
        QSignalSpy panel(m_parser.get(), &ILmtRegistryParser::appendUILog);
        lmttest::LogCapture capture;
        QElapsedTimer clock;
        clock.start();
        const QString failure = parseError();
        QVERIFY(!hangs || clock.elapsed() < 20000);
        const QStringList actual = lmttest::catalogueLines(*m_model) + lmttest::panelLines(panel)
            + QStringList { "failure " + failure, "last " + m_parser->lastInstallDirectory() };
        lmttest::compareWithExpected(
            actual, capture.lines(), "registry/3rdparty/" + name + ".expected", places);
    }

    void commandLinesSplitAtTheLastBlank_data()
    {
        lmttest::rowsFrom("registry/command-lines.txt", { "line", "program", "arguments" });
    }

    void commandLinesSplitAtTheLastBlank()
    {
        QFETCH(QString, line);
        QFETCH(QString, arguments);
        const auto command = Lmt3rdPartyCommand::fromCommandLine(line.replace("\\t", "\t"));
        QTEST(command.program(), "program");
        QCOMPARE(command.arguments(), arguments.split('|'));
    }

    void shippedFileParses()
    {
        m_parser->setApplicationDirectory(lmttest::binDir());
        QCOMPARE(parseError(), QString());
        QStringList tools;
        for (const auto &tool : m_model->tools())
            tools << tool->featureId() + ' ' + QString::number(tool->onlineVersions().size());
        QCOMPARE(tools.join(", "), "com.microsoft.vscode 1, org.cmake.cmake 1, org.git-scm.git 1");
    }
};

QTEST_GUILESS_MAIN(TestLmt3rdPartyRegistryParser)
#include "tst_Lmt3rdPartyRegistryParser.moc"
