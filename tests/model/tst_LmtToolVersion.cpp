#include "common/LmtModelFixtures.h"
#include "common/LmtTestSupport.h"
#include "model/Lmt3rdPartyLocalToolVersion.h"
#include "model/Lmt3rdPartyOnlineToolVersion.h"
#include "model/LmtLocalToolVersion.h"
#include "model/LmtOnlineToolVersion.h"
#include "model/LmtTool.h"
#include "model/LmtToolType.h"
#include "platform/LmtPlatform.h"

#include <QDir>
#include <QtTest>

#include <stdexcept>

using namespace zendrel::lmt::setup;
using lmttest::addLocal;
using lmttest::addOnline;

namespace {

std::shared_ptr<LmtOnlineToolVersion> loose(const QString &text, quint64 numeric = 0)
{
    return LmtOnlineToolVersion::create(text, numeric, 0);
}

// An offered version outside any shared_ptr, which the factory never produces.
class UnownedVersion : public LmtOnlineToolVersion
{
public:
    UnownedVersion()
        : LmtOnlineToolVersion("1.0.0", 0, 0)
    {
    }
};

} // namespace

class TestLmtToolVersion : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;

private Q_SLOTS:
    void versionTextsSplitIntoParts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QList<quint32>>("parts");
        QTest::addColumn<bool>("valid"); // three numbers, as a user types them
        using P = QList<quint32>;
        const P none { 0, 0, 0, 0 };
        QTest::newRow("four parts") << "3.2.1.1234"
                                    << "3.2.1" << P { 3, 2, 1, 1234 } << false;
        QTest::newRow("three parts") << "3.2.0"
                                     << "3.2.0" << P { 3, 2, 0, 0 } << true;
        QTest::newRow("build 0") << "3.2.0.0"
                                 << "3.2.0" << P { 3, 2, 0, 0 } << false;
        QTest::newRow("two digits") << "10.20.30"
                                    << "10.20.30" << P { 10, 20, 30, 0 } << true;
        QTest::newRow("prefix") << "v3.2.0"
                                << "" << none << false;
        QTest::newRow("two parts") << "3.2"
                                   << "" << none << false;
        QTest::newRow("five parts") << "3.2.0.1.5"
                                    << "" << none << false;
        QTest::newRow("empty") << ""
                               << "" << none << false;
        QTest::newRow("leading blank") << " 3.2.0"
                                       << "" << none << false;
        QTest::newRow("trailing blank") << "3.2.0 "
                                        << "" << none << false;
        QTest::newRow("letter") << "3.2.x"
                                << "" << none << false;
        // A part that does not fit 32 bits is 0; the others are kept.
        QTest::newRow("part too large") << "4294967296.1.2"
                                        << "0.1.2" << P { 0, 1, 2, 0 } << true;
        QTest::newRow("largest part") << "4294967295.0.0"
                                      << "4294967295.0.0" << P { 4294967295u, 0, 0, 0 } << true;
    }

    void versionTextsSplitIntoParts()
    {
        QFETCH(QString, text);
        const auto version = loose(text, 77);
        quint32 major = 9, minor = 9, patch = 9, build = 9;
        version->versionParts(major, minor, patch, build);
        QTEST((QList<quint32> { major, minor, patch, build }), "parts");
        QTEST((QList<quint32> {
                  version->major(), version->minor(), version->patch(), version->build() }),
            "parts");
        QTEST(version->displayVersion(), "display");
        QCOMPARE(version->version(), text);
        QCOMPARE(version->versionNumeric(), 77u);
        QTEST(LmtToolVersion::isValidVersionText(text), "valid");
    }

    // Numeric, not textual, order of each part; the registry's numeric version takes no part.
    void versionsCompareByTheirParts_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("order");
        QTest::newRow("missing build is 0") << "3.2.0"
                                            << "3.2.0.0" << 0;
        QTest::newRow("minor 10 after 9") << "3.10.0"
                                          << "3.9.5" << 1;
        QTest::newRow("build 9 before 10") << "3.2.0.9"
                                           << "3.2.0.10" << -1;
        QTest::newRow("major first") << "4.0.0"
                                     << "3.99.99.99" << 1;
        QTest::newRow("patch") << "1.0.0"
                               << "1.0.1" << -1;
        QTest::newRow("broken text is 0.0.0.0") << "v3.2.0"
                                                << "0.0.0.0" << 0;
    }

    void versionsCompareByTheirParts()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, order);
        const auto x = loose(a, 999);
        const auto y = loose(b, 1);
        QCOMPARE(LmtToolVersion::compare(*x, *y), order);
        QCOMPARE(LmtToolVersion::compare(*y, *x), -order);
        QCOMPARE(*x < *y, order < 0);
        QCOMPARE(*x > *y, order > 0);
        QCOMPARE(*x >= *y, order >= 0);
        QCOMPARE(*y >= *x, order <= 0);
    }

    void equalityNeedsTextKindAndTool()
    {
        const auto toolA = LmtTool::create("com.a", LmtToolType::Other, "A");
        const auto twinA = LmtTool::create("com.a", LmtToolType::Other, "A again");
        const auto toolB = LmtTool::create("com.b", LmtToolType::Other, "B");

        const auto online = addOnline(toolA, "1.0.0");
        QVERIFY(*online == *addOnline(twinA, "1.0.0")); // same feature id is the same tool
        QVERIFY(*online != *addOnline(toolB, "1.0.0"));
        QVERIFY(*online != *addLocal(toolA, "1.0.0")); // offered vs installed
        QVERIFY(*online != *addOnline(toolA, "1.0.0.0")); // equal by order, not by text
        QVERIFY(*online != *loose("1.0.0")); // one without tool
        QVERIFY(*loose("1.0.0") == *loose("1.0.0")); // both without tool
        QCOMPARE(loose("1.0.0")->featureId(), QString());
        QCOMPARE(online->featureId(), "com.a");
        QCOMPARE(online->tool(), toolA);
    }

    void selectionIsLoggedAndValidated()
    {
        lmttest::LogCapture capture;
        const auto tool = LmtTool::create("com.a", LmtToolType::ToolsPackage, "A");
        const auto first = addOnline(tool, "3.2.0.100");
        const auto second = addOnline(tool, "3.2.0.200");
        const auto other = addOnline(tool, "3.3.0.1");
        QVERIFY(!first->selected());

        first->setSelected(true);
        QVERIFY(capture.contains("[LmtToolVersion] Selected version: 3.2.0.100"));
        other->setSelected(true);

        try {
            second->setSelected(true);
            QFAIL("selecting a second 3.2.0.x version must fail");
        } catch (const std::runtime_error &error) {
            QCOMPARE(QString::fromUtf8(error.what()),
                "Invalid version invariant: Several versions with the same major, minor "
                "and patch cannot be selected");
        }
        QVERIFY(second->selected()); // stored before the check, as callers rely on

        second->setSelected(false);
        QVERIFY(capture.contains("[LmtToolVersion] Unselected version: 3.2.0.200"));
        first->setSelected(false);
        second->setSelected(true); // alone in its line now
        first->setSelected(false); // unselecting never throws

        // Installed versions start as "keep" and are never restricted.
        capture.clear();
        const auto local = addLocal(tool, "3.2.0.100");
        const auto localTwin = addLocal(tool, "3.2.0.300");
        QVERIFY(local->selected() && localTwin->selected());
        QVERIFY(capture.contains("[LmtToolVersion] Selected version: 3.2.0.100"));
    }

    void dependenciesAreLogged()
    {
        lmttest::LogCapture capture;
        const auto version = loose("1.0.0");
        version->addDependency("com.b", 0, LmtToolDependency::Unbounded);
        version->addDependency("com.c", 5, 9);
        QCOMPARE(version->dependencies().size(), 2);
        QCOMPARE(version->dependencies().at(1)->targetFeatureId, "com.c");
        QCOMPARE(version->dependencies().at(1)->minVersionNumeric, 5u);
        QVERIFY(capture.contains("[LmtToolVersion] Add dependency, targetFeatureId: com.b, "
                                 "verMin: 0, verMax: 18446744073709551615"));
        QVERIFY(capture.contains(
            "[LmtToolVersion] Add dependency, targetFeatureId: com.c, verMin: 5, verMax: 9"));

        const LmtToolDependency unbounded("x", 10, LmtToolDependency::Unbounded);
        QVERIFY(!unbounded.accepts(9));
        QVERIFY(unbounded.accepts(10));
        QVERIFY(unbounded.accepts(std::numeric_limits<quint64>::max()));
    }

    void installDirectoryPlaceholdersExpand_data()
    {
        QTest::addColumn<QByteArray>("drive"); // SYSTEMDRIVE; empty: not set
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expanded");
        QTest::newRow("drive and user") << QByteArray() << "{sd}/Tools/{username}"
                                        << "C:/Tools/alice";
        QTest::newRow("profile, twice the drive")
            << QByteArray() << "{%USERPROFILE}/lumetra/{sd}{sd}"
            << "/home/alice/lumetra/C:C:";
        QTest::newRow("drive set") << QByteArray("D:") << "{sd}/x"
                                   << "D:/x";
        // Without "{" nothing is touched, Windows-style variables included.
        QTest::newRow("no brace") << QByteArray() << "%USERPROFILE%/Tools/sd}"
                                  << "%USERPROFILE%/Tools/sd}";
        // Unknown and differently cased placeholders stay.
        QTest::newRow("unknown") << QByteArray() << "{SD}/{home}/{%USERPROFILE%}"
                                 << "{SD}/{home}/{%USERPROFILE%}";
    }

    void installDirectoryPlaceholdersExpand()
    {
        QFETCH(QByteArray, drive);
        QFETCH(QString, text);
        QFETCH(QString, expanded);
        // The sandbox owns this process's environment.
        qputenv("USERNAME", "alice");
        qputenv("USERPROFILE", "/home/alice");
        drive.isEmpty() ? qunsetenv("SYSTEMDRIVE") : qputenv("SYSTEMDRIVE", drive);
        QCOMPARE(LmtToolVersion::expandPlaceholders(text), expanded);

        // Directories are kept expanded, per scope as well.
        const auto online = loose("1.0.0");
        online->setInstallDirectory(text);
        online->setInstallDirectoryFor(LmtToolInstallScope::AllUsers, text);
        QCOMPARE(online->installDirectory(), expanded);
        QCOMPARE(online->installDirectoryFor(LmtToolInstallScope::AllUsers), expanded);
    }

    void scopesAreThoseWithADirectory()
    {
        const auto online = loose("1.0.0");
        QVERIFY(online->supportedScopes().isEmpty());
        online->setInstallDirectoryFor(LmtToolInstallScope::AllUsers, "/opt");
        QCOMPARE(online->supportedScopes(), QList { LmtToolInstallScope::AllUsers });
        QCOMPARE(online->installDirectoryFor(LmtToolInstallScope::CurrentUser), QString());
        QCOMPARE(online->installScope(), LmtToolInstallScope::CurrentUser);
        QCOMPARE(online->installDirectory(), QString());
        online->setInstallDirectoryFor(LmtToolInstallScope::CurrentUser, "/home");
        QCOMPARE(online->supportedScopes(),
            QList({ LmtToolInstallScope::CurrentUser, LmtToolInstallScope::AllUsers }));
    }

    // Versions of one line replace each other; selection allows one version per line. A case
    // names the tool type and two versions ("o" offered, "l" installed, "L" installed for all
    // users, "t" offered by a tool of the same feature id).
    void linesFollowTheToolType_data()
    {
        QTest::addColumn<QString>("versions");
        QTest::addColumn<bool>("selectionLine");
        QTest::addColumn<bool>("updateLine");
        QTest::newRow("patch, other patch") << "patch o3.2.1 o3.2.2" << false << false;
        QTest::newRow("patch, same patch") << "patch o3.2.1 o3.2.1.7" << true << true;
        QTest::newRow("tools, same minor") << "tools o3.2.0 l3.2.1" << true << true;
        QTest::newRow("tools, other minor") << "tools o3.2.0 o3.3.0" << false << false;
        // Two installations never share a selection line, but are one update line.
        QTest::newRow("tools, two installed") << "tools l3.2.1 L3.2.5" << false << true;
        QTest::newRow("external") << "external l1.0.0 l2.5.0" << true << true;
        QTest::newRow("pack, offered and installed") << "pack o1.0.0 l7.0.0" << true << true;
        QTest::newRow("pack, two installed") << "pack l7.0.0 l8.0.0" << false << true;
        // Tools are told apart by feature id, not by object.
        QTest::newRow("twin tool, same minor") << "tools o3.2.0 t3.2.9" << true << true;
        QTest::newRow("twin tool, same version") << "tools o3.2.0 t3.2.0" << true << true;
        QTest::newRow("twin tool, other minor") << "tools o3.2.0 t3.3.0" << false << false;
    }

    void linesFollowTheToolType()
    {
        QFETCH(QString, versions);
        const QStringList parts = versions.split(' ');
        const LmtToolType type = determineToolType(parts[0], "", "");
        const auto tool = LmtTool::create("com.t", type, "T");
        const auto twin = LmtTool::create("com.t", type, "Twin");
        const auto add = [&](const QString &code) -> std::shared_ptr<LmtToolVersion> {
            const QString text = code.mid(1);
            if (code[0] == 'o' || code[0] == 't')
                return addOnline(code[0] == 't' ? twin : tool, text);
            return addLocal(tool, text,
                code[0] == 'L' ? LmtToolInstallScope::AllUsers : LmtToolInstallScope::CurrentUser);
        };
        const auto first = add(parts[1]);
        const auto second = add(parts[2]);
        QTEST(first->isSameLine(*second, true), "selectionLine");
        QTEST(first->isSameLine(*second, false), "updateLine");
        const auto other = LmtTool::create("com.o", type, "O");
        QVERIFY(!first->isSameLine(*addOnline(other, parts[1].mid(1)), false));
    }

    void relatedVersionsShareTheLine()
    {
        const auto patches = LmtTool::create("com.p", LmtToolType::Patch, "Patch");
        const auto p321 = addOnline(patches, "3.2.1");
        addOnline(patches, "3.2.2");
        const auto p3217 = addOnline(patches, "3.2.1.7");
        QCOMPARE(p321->relatedVersions(), LmtToolVersionList({ p321, p3217 }));

        const auto tools = LmtTool::create("com.t", LmtToolType::ToolsPackage, "Tools");
        const auto t320 = addOnline(tools, "3.2.0");
        addOnline(tools, "3.3.0");
        const auto i321 = addLocal(tools, "3.2.1");
        const auto i325 = addLocal(tools, "3.2.5", LmtToolInstallScope::AllUsers);
        QCOMPARE(t320->relatedVersions(), LmtToolVersionList({ t320, i321, i325 }));
        QCOMPARE(i321->relatedVersions(), LmtToolVersionList({ t320, i321 }));
        QVERIFY(loose("1.0.0")->relatedVersions().isEmpty());
    }

    void counterpartsDecideUpdates()
    {
        const auto tools = LmtTool::create("com.t", LmtToolType::ToolsPackage, "Tools");
        const auto installed = addLocal(tools, "3.2.1", LmtToolInstallScope::AllUsers);
        const auto offered = addOnline(tools, "3.2.5");
        // Installing beside a kept installation replaces nothing.
        offered->setSelected(true);
        QVERIFY(!offered->hasCounterpart());
        QVERIFY(!installed->hasCounterpart());
        QCOMPARE(offered->replacedLocalVersion(), nullptr);

        installed->setSelected(false);
        QVERIFY(offered->hasCounterpart());
        QVERIFY(installed->hasCounterpart());
        QCOMPARE(offered->replacedLocalVersion(), installed);

        // Without patch updates only the same major.minor.patch replaces an installation.
        const auto external = LmtTool::create("com.e", LmtToolType::External, "Ext");
        external->setIsPatchVersionUpdatable(false);
        QVERIFY(!external->isPatchUpdatable());
        const auto old213 = addLocal(external, "2.1.3");
        const auto new214 = addOnline(external, "2.1.4", 0, true);
        old213->setSelected(false);
        QVERIFY(!new214->hasCounterpart());
        QVERIFY(!old213->hasCounterpart());
        const auto rebuild = addOnline(external, "2.1.3.9");
        new214->setSelected(false);
        rebuild->setSelected(true);
        QVERIFY(rebuild->hasCounterpart());
        QVERIFY(old213->hasCounterpart());

        external->setIsPatchVersionUpdatable(true);
        rebuild->setSelected(false);
        new214->setSelected(true);
        QVERIFY(new214->hasCounterpart());

        // The flag only matters for External tools.
        tools->setIsPatchVersionUpdatable(false);
        QVERIFY(tools->isPatchUpdatable());
        QVERIFY(offered->hasCounterpart());
    }

    void displayNamesShowTheScopeOfSiblings()
    {
        const auto tools = LmtTool::create("com.t", LmtToolType::ToolsPackage, "Lumetra Tools");
        const auto mine = addLocal(tools, "3.2.0", LmtToolInstallScope::CurrentUser);
        const auto shared = addLocal(tools, "3.2.1", LmtToolInstallScope::AllUsers);
        const auto alone = addLocal(tools, "4.0.0", LmtToolInstallScope::AllUsers);
        const auto offered = addOnline(tools, "3.2.0");

        QVERIFY(mine->hasSiblingInOtherScope());
        QVERIFY(shared->hasSiblingInOtherScope());
        QVERIFY(!alone->hasSiblingInOtherScope());
        QVERIFY(!offered->hasSiblingInOtherScope());
        QCOMPARE(mine->displayName(), "Lumetra Tools (Current user)");
        QCOMPARE(shared->displayName(), "Lumetra Tools (All users)");
        QCOMPARE(alone->displayName(), "Lumetra Tools");
        QCOMPARE(offered->displayName(), "Lumetra Tools");

        // The same scope twice is no sibling.
        shared->setInstallScope(LmtToolInstallScope::CurrentUser);
        QVERIFY(!mine->hasSiblingInOtherScope());
        QCOMPARE(mine->displayName(), "Lumetra Tools");
    }

    void patchLinesFollowTheUpdatableFlag()
    {
        const auto external = LmtTool::create("com.e", LmtToolType::External, "Ext");
        const auto v213 = addOnline(external, "2.1.3");
        const auto v214 = addOnline(external, "2.1.4");
        const auto v2149 = addLocal(external, "2.1.4.9");
        const auto v220 = addOnline(external, "2.2.0");
        QVERIFY(v213->isSamePatchLine(*v214));
        QVERIFY(!v213->isSamePatchLine(*v220));

        external->setIsPatchVersionUpdatable(false);
        QVERIFY(!v213->isSamePatchLine(*v214));
        QVERIFY(v214->isSamePatchLine(*v2149));

        const auto other = LmtTool::create("com.f", LmtToolType::External, "Ext");
        QVERIFY(!v214->isSamePatchLine(*addOnline(other, "2.1.4")));
    }

    void displayOrderGroupsToolsFirstAndPacksLast()
    {
        const auto tools = LmtTool::create("com.t", LmtToolType::ToolsPackage, "Tools");
        const auto patch = LmtTool::create("com.p", LmtToolType::Patch, "Patch");
        const auto beta = LmtTool::create("com.beta", LmtToolType::External, "Beta");
        const auto alpha = LmtTool::create("com.alpha", LmtToolType::Other, "Alpha");
        const auto alphaTwin = LmtTool::create("com.alpha2", LmtToolType::External, "Alpha");
        const auto pack = LmtTool::create("com.c", LmtToolType::ContentPack, "AAA Pack");

        const auto t320 = addOnline(tools, "3.2.0");
        const auto p331 = addOnline(patch, "3.3.1");
        const auto b1 = addOnline(beta, "1.0.0");
        const auto a1 = addOnline(alpha, "1.0.0");
        const auto a2 = addLocal(alpha, "2.0.0");
        const auto twin3 = addOnline(alphaTwin, "3.0.0");
        const auto c9 = addOnline(pack, "9.0.0");

        QVERIFY(!displayOrderLess(a1, a1));
        QVERIFY(!displayOrderLess(c9, a1)); // packs last, whatever the name
        LmtToolVersionList rows { c9, a1, b1, t320, a2, p331, twin3 };
        std::sort(rows.begin(), rows.end(),
            [](const auto &x, const auto &y) { return displayOrderLess(x, y); });
        QCOMPARE(rows, LmtToolVersionList({ p331, t320, twin3, a2, a1, b1, c9 }));
    }

    // A file named "dashboard" (any extension) sits one folder below the installation's root;
    // any other file sits in it.
    void installLocationFindsTheInstallationFolder_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("location"); // "@" is the installation folder
        QTest::newRow("tool") << "@/bin/tool.exe"
                              << "@/bin";
        QTest::newRow("dashboard") << "@/bin/dashboard"
                                   << "@";
        QTest::newRow("dashboard.exe") << "@/bin/dashboard.exe"
                                       << "@";
        QTest::newRow("case-sensitive") << "@/bin/Dashboard"
                                        << "@/bin";
        QTest::newRow("a folder is kept") << "@/bin"
                                          << "@/bin";
        QTest::newRow("missing file is kept") << "C:/gone/dashboard.exe"
                                              << "C:/gone/dashboard.exe";
    }

    void installLocationFindsTheInstallationFolder()
    {
        QFETCH(QString, path);
        QFETCH(QString, location);
        const QString root = m_sandbox.filePath("installed");
        for (const char *file : { "tool.exe", "dashboard", "dashboard.exe", "Dashboard" })
            QVERIFY(lmttest::writeFile(root + "/bin/" + file, "x"));
        const auto local = addLocal(LmtTool::create("com.t", LmtToolType::ToolsPackage, "T"), "1");
        local->setPath(path.replace('@', root));
        QCOMPARE(local->installLocation(), location.replace('@', root));
    }

    void installedVersionRecords()
    {
        const auto tool = LmtTool::create("com.t", LmtToolType::ToolsPackage, "Tools");
        const auto local = addLocal(tool, "1.0.0");
        QVERIFY(!local->hasUninstallPath());
        local->setUninstallPath("/opt/t/uninstall");
        QVERIFY(local->hasUninstallPath());
        QCOMPARE(local->entryNameOrToolName(), "Tools");
        local->setEntryName("Tools (x64)");
        QCOMPARE(local->entryNameOrToolName(), "Tools (x64)");

        // A 3rd-party installation knows its folder.
        const auto thirdParty = Lmt3rdPartyLocalToolVersion::create("5.1.0");
        thirdParty->setPath("/opt/t/bin/tool.exe");
        thirdParty->setInstallDirectory("/opt/elsewhere");
        QCOMPARE(thirdParty->installLocation(), "/opt/elsewhere");
        QVERIFY(thirdParty->selected());
        QVERIFY(!thirdParty->isOnline());
        QCOMPARE(thirdParty->versionNumeric(), 0u);
    }

    // Both names are given decoded; "/download" is cut at its first occurrence.
    void packagesDeriveTheirNames_data()
    {
        QTest::addColumn<QUrl>("url");
        QTest::addColumn<QString>("downloadName");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("with /download")
            << QUrl("https://h.example/files/tools-3.2.0.exe/download") << "/tools-3.2.0.exe"
            << "tools-3.2.0.exe";
        QTest::newRow("plain") << QUrl("https://h.example/files/tools-3.2.0.exe")
                               << "/tools-3.2.0.exe"
                               << "tools-3.2.0.exe";
        QTest::newRow("encoded") << QUrl("https://h.example/a/my%20tool.zip/download")
                                 << "/my tool.zip"
                                 << "my tool.zip";
        QTest::newRow("inside a segment")
            << QUrl("https://h.example/downloads/tool.exe") << "/h.example"
            << "tool.exe";
        QTest::newRow("no path") << QUrl("tool.exe") << "tool.exe"
                                 << "";
    }

    void packagesDeriveTheirNames()
    {
        QFETCH(QUrl, url);
        const LmtToolPackage package("Linux", url, "archive", "zip", 0);
        QTEST(package.downloadName(), "downloadName");
        QTEST(package.fileName(), "fileName");
        QCOMPARE(package.os(), "Linux");
        QCOMPARE(package.kind(), "archive");
        QCOMPARE(package.fileType(), "zip");
    }

    void packageSizesAreKeptIn32Bits()
    {
        QCOMPARE(LmtToolPackage::bytesFromMegabytes(5000), Q_INT64_C(5242880000));
        QCOMPARE(LmtToolPackage::bytesFromMegabytes(1.5), Q_INT64_C(1572864));
        QCOMPARE(LmtToolPackage::bytesFromMegabytes(0.0000001), Q_INT64_C(0)); // truncated
        QCOMPARE(LmtToolPackage::bytesFromMegabytes(-1.0000001), Q_INT64_C(-1048576));

        const QUrl url("https://h.example/x.exe");
        QCOMPARE(LmtToolPackage("Windows", url, "", "", 5242880000).fileSize(), 947912704u);
        QCOMPARE(LmtToolPackage("Windows", url, "", "", 1572864).fileSize(), 1572864u);
    }

    void packagesBelongToTheirVersion()
    {
        lmttest::LogCapture capture;
        const auto version = loose("3.2.0");
        QVERIFY(!version->hasPackageForCurrentOs());
        QCOMPARE(version->packageForCurrentOs(), nullptr);

        const QString os = zendrel::lmt::platform::osName();
        const auto lowerCase = std::make_shared<LmtToolPackage>(
            os.toLower(), QUrl("https://h.example/lower.zip"), "", "", 0);
        const auto foreign = std::make_shared<LmtToolPackage>(
            "Solaris", QUrl("https://h.example/foreign.zip"), "", "", 0);
        const auto first
            = std::make_shared<LmtToolPackage>(os, QUrl("https://h.example/first.zip"), "", "", 0);
        const auto second
            = std::make_shared<LmtToolPackage>(os, QUrl("https://h.example/second.zip"), "", "", 0);

        version->addPackage(lowerCase);
        version->addPackage(foreign);
        QVERIFY(!version->hasPackageForCurrentOs()); // the OS name is compared exactly
        version->addPackage(first);
        version->addPackage(second);
        QCOMPARE(version->packageForCurrentOs(), first);
        QVERIFY(version->hasPackageForCurrentOs());
        QCOMPARE(version->packages().size(), 4);
        QCOMPARE(first->version(), version);
        QVERIFY(capture.contains(
            "[LmtOnlineToolVersion] Add package, url: https://h.example/first.zip"));

        // The 3rd-party offered version is owned the same way.
        const auto external = Lmt3rdPartyOnlineToolVersion::create(QString());
        external->addPackage(foreign);
        QCOMPARE(foreign->version(), external);
        QVERIFY(external->isOnline());
        QCOMPARE(external->id(), 0);
        QCOMPARE(external->versionNumeric(), 0u);
        QVERIFY(external->silentInstall());
        external->setExternalUrl(QUrl("https://vendor.example/get"));
        QCOMPARE(external->externalUrl(), QUrl("https://vendor.example/get"));
    }

    void addingToAnUnownedVersionFailsCleanly()
    {
        UnownedVersion version;
        const auto package = std::make_shared<LmtToolPackage>(
            "Windows", QUrl("https://h.example/x.exe"), "", "", 0);
        QVERIFY_THROWS_EXCEPTION(std::bad_weak_ptr, version.addPackage(package));
        QVERIFY(version.packages().isEmpty());
        QCOMPARE(package->version(), nullptr);
    }
};

QTEST_GUILESS_MAIN(TestLmtToolVersion)
#include "tst_LmtToolVersion.moc"
