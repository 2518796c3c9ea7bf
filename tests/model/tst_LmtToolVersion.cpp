#include "common/LmtModelFixtures.h"
#include "common/LmtTestSupport.h"
#include "model/Lmt3rdPartyLocalToolVersion.h"
#include "model/Lmt3rdPartyOnlineToolVersion.h"
#include "model/LmtLocalToolVersion.h"
#include "model/LmtOnlineToolVersion.h"
#include "model/LmtTool.h"
#include "platform/LmtPlatform.h"

#include <QDir>
#include <QtTest>

#include <stdexcept>

using namespace zendrel::lmt::setup;
using lmttest::addLocal;
using lmttest::addOnline;

namespace {

// Sets or unsets an environment variable for the lifetime of the object.
class EnvironmentOverride
{
public:
    EnvironmentOverride(const char *name, const QByteArray *value)
        : m_name(name)
        , m_wasSet(qEnvironmentVariableIsSet(name))
        , m_previous(qgetenv(name))
    {
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
    ~EnvironmentOverride()
    {
        if (m_wasSet)
            qputenv(m_name, m_previous);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    bool m_wasSet;
    QByteArray m_previous;
};

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
    void parsesAndComparesVersionTexts()
    {
        const auto short320 = loose("3.2.0");
        const auto long320 = loose("3.2.0.0");
        QCOMPARE(LmtToolVersion::compare(*short320, *long320), 0);
        QVERIFY(*short320 >= *long320 && *long320 >= *short320);
        QVERIFY(!(*short320 < *long320) && !(*short320 > *long320));
        QCOMPARE(short320->displayVersion(), "3.2.0");
        QCOMPARE(long320->displayVersion(), "3.2.0");

        // Numeric, not textual, order of each part.
        QVERIFY(*loose("3.10.0") > *loose("3.9.5"));
        QVERIFY(*loose("3.9.5") < *loose("3.10.0"));
        QCOMPARE(LmtToolVersion::compare(*loose("3.2.0.9"), *loose("3.2.0.10")), -1);
        QCOMPARE(LmtToolVersion::compare(*loose("4.0.0"), *loose("3.99.99.99")), 1);
        // The registry's numeric version takes no part.
        QVERIFY(*loose("1.0.0", 999) < *loose("1.0.1", 1));

        const auto full = loose("3.2.1.1234", 77);
        quint32 major = 9, minor = 9, patch = 9, build = 9;
        full->versionParts(major, minor, patch, build);
        QCOMPARE(major, 3u);
        QCOMPARE(minor, 2u);
        QCOMPARE(patch, 1u);
        QCOMPARE(build, 1234u);
        QCOMPARE(full->versionNumeric(), 77u);
        QCOMPARE(full->version(), "3.2.1.1234");
        QCOMPARE(full->displayVersion(), "3.2.1");

        for (const QString text : { "v3.2.0", "3.2", "3.2.0.1.5", "", " 3.2.0", "3.2.x" }) {
            const auto broken = loose(text);
            QVERIFY2(broken->displayVersion().isEmpty(), qPrintable(text));
            QCOMPARE(broken->major() + broken->minor() + broken->patch() + broken->build(), 0u);
            QCOMPARE(broken->version(), text);
        }
        QCOMPARE(LmtToolVersion::compare(*loose("v3.2.0"), *loose("0.0.0.0")), 0);

        // A part that does not fit 32 bits is 0; the others are kept.
        const auto huge = loose("4294967296.1.2");
        QCOMPARE(huge->major(), 0u);
        QCOMPARE(huge->displayVersion(), "0.1.2");
        QCOMPARE(loose("4294967295.0.0")->major(), 4294967295u);

        QVERIFY(LmtToolVersion::isValidVersionText("3.2.0"));
        QVERIFY(LmtToolVersion::isValidVersionText("10.20.30"));
        QVERIFY(!LmtToolVersion::isValidVersionText("3.2.0.1"));
        QVERIFY(!LmtToolVersion::isValidVersionText("3.2"));
        QVERIFY(!LmtToolVersion::isValidVersionText("v3.2.0"));
        QVERIFY(!LmtToolVersion::isValidVersionText("3.2.0 "));
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

    void expandsInstallDirectoryPlaceholders()
    {
        const QByteArray alice("alice");
        const QByteArray profile("/home/alice");
        const EnvironmentOverride noDrive("SYSTEMDRIVE", nullptr);
        const EnvironmentOverride user("USERNAME", &alice);
        const EnvironmentOverride home("USERPROFILE", &profile);

        QCOMPARE(LmtToolVersion::expandPlaceholders("{sd}/Tools/{username}"), "C:/Tools/alice");
        QCOMPARE(LmtToolVersion::expandPlaceholders("{%USERPROFILE}/lumetra/{sd}{sd}"),
            "/home/alice/lumetra/C:C:");
        // Without "{" nothing is touched, Windows-style variables included.
        QCOMPARE(LmtToolVersion::expandPlaceholders("%USERPROFILE%/Tools/sd}"),
            "%USERPROFILE%/Tools/sd}");
        // Unknown and differently cased placeholders stay.
        QCOMPARE(LmtToolVersion::expandPlaceholders("{SD}/{home}/{%USERPROFILE%}"),
            "{SD}/{home}/{%USERPROFILE%}");

        {
            const QByteArray drive("D:");
            const EnvironmentOverride withDrive("SYSTEMDRIVE", &drive);
            QCOMPARE(LmtToolVersion::expandPlaceholders("{sd}/x"), "D:/x");
        }

        const auto online = loose("1.0.0");
        online->setInstallDirectory("{sd}/Tools/{username}");
        QCOMPARE(online->installDirectory(), "C:/Tools/alice");
        online->setInstallDirectoryFor(LmtToolInstallScope::AllUsers, "{sd}/All");
        online->setInstallDirectoryFor(LmtToolInstallScope::CurrentUser, "{%USERPROFILE}/Me");
        QCOMPARE(online->installDirectoryFor(LmtToolInstallScope::AllUsers), "C:/All");
        QCOMPARE(online->installDirectoryFor(LmtToolInstallScope::CurrentUser), "/home/alice/Me");
        QCOMPARE(online->supportedScopes(),
            QList<LmtToolInstallScope>(
                { LmtToolInstallScope::CurrentUser, LmtToolInstallScope::AllUsers }));

        const auto onlyAllUsers = loose("1.0.0");
        QVERIFY(onlyAllUsers->supportedScopes().isEmpty());
        onlyAllUsers->setInstallDirectoryFor(LmtToolInstallScope::AllUsers, "/opt");
        QCOMPARE(onlyAllUsers->installDirectoryFor(LmtToolInstallScope::CurrentUser), QString());
        QCOMPARE(onlyAllUsers->installScope(), LmtToolInstallScope::CurrentUser);
        QCOMPARE(onlyAllUsers->installDirectory(), QString());
    }

    void linesFollowTheToolType()
    {
        const auto patches = LmtTool::create("com.p", LmtToolType::Patch, "Patch");
        const auto p321 = addOnline(patches, "3.2.1");
        const auto p322 = addOnline(patches, "3.2.2");
        const auto p3217 = addOnline(patches, "3.2.1.7");
        QVERIFY(!p321->isSameLine(*p322, false));
        QVERIFY(!p321->isSameLine(*p322, true));
        QVERIFY(p321->isSameLine(*p3217, false));
        QCOMPARE(p321->relatedVersions(), LmtToolVersionList({ p321, p3217 }));

        const auto tools = LmtTool::create("com.t", LmtToolType::ToolsPackage, "Tools");
        const auto t320 = addOnline(tools, "3.2.0");
        const auto t330 = addOnline(tools, "3.3.0");
        const auto i321 = addLocal(tools, "3.2.1");
        const auto i325 = addLocal(tools, "3.2.5", LmtToolInstallScope::AllUsers);
        QVERIFY(t320->isSameLine(*i321, true));
        QVERIFY(!t320->isSameLine(*t330, false));
        // Two installations never share a selection line, but are one update line.
        QVERIFY(!i321->isSameLine(*i325, true));
        QVERIFY(i321->isSameLine(*i325, false));
        QCOMPARE(t320->relatedVersions(), LmtToolVersionList({ t320, i321, i325 }));
        QCOMPARE(i321->relatedVersions(), LmtToolVersionList({ t320, i321 }));

        const auto external = LmtTool::create("com.e", LmtToolType::External, "Ext");
        const auto e1 = addLocal(external, "1.0.0");
        const auto e2 = addLocal(external, "2.5.0");
        QVERIFY(e1->isSameLine(*e2, true));
        QVERIFY(e1->isSameLine(*e2, false));

        const auto pack = LmtTool::create("com.c", LmtToolType::ContentPack, "Pack");
        const auto c1 = addOnline(pack, "1.0.0");
        const auto c2 = addLocal(pack, "7.0.0");
        const auto c3 = addLocal(pack, "8.0.0");
        QVERIFY(c1->isSameLine(*c2, true));
        QVERIFY(!c2->isSameLine(*c3, true));
        QVERIFY(c2->isSameLine(*c3, false));

        QVERIFY(!t320->isSameLine(*addOnline(patches, "3.2.0"), false)); // other tool
        // Tools are told apart by feature id, not by object.
        const auto toolsTwin = LmtTool::create("com.t", LmtToolType::ToolsPackage, "Twin");
        QVERIFY(t320->isSameLine(*addOnline(toolsTwin, "3.2.9"), false));
        QVERIFY(t320->isSameLine(*addOnline(toolsTwin, "3.2.0"), true));
        QVERIFY(!t320->isSameLine(*addOnline(toolsTwin, "3.3.0"), true));
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

        QVERIFY(displayOrderLess(p331, t320)); // newest first across tools and patches
        QVERIFY(!displayOrderLess(t320, p331));
        QVERIFY(displayOrderLess(t320, b1));
        QVERIFY(!displayOrderLess(b1, t320));
        QVERIFY(displayOrderLess(b1, c9)); // packs last, whatever the name
        QVERIFY(!displayOrderLess(c9, a1));
        QVERIFY(displayOrderLess(a1, b1)); // by name
        QVERIFY(!displayOrderLess(b1, a1));
        QVERIFY(displayOrderLess(a2, a1)); // same tool: newer first
        QVERIFY(displayOrderLess(twin3, a2)); // same name: newer first
        QVERIFY(!displayOrderLess(a1, a1));

        LmtToolVersionList rows { c9, a1, b1, t320, a2, p331, twin3 };
        std::sort(rows.begin(), rows.end(),
            [](const auto &x, const auto &y) { return displayOrderLess(x, y); });
        QCOMPARE(rows, LmtToolVersionList({ p331, t320, twin3, a2, a1, b1, c9 }));
    }

    void installLocationFindsTheInstallationFolder()
    {
        const QString root = m_sandbox.filePath("installed");
        QVERIFY(lmttest::writeFile(root + "/bin/tool.exe", "x"));
        QVERIFY(lmttest::writeFile(root + "/bin/dashboard", "x"));
        QVERIFY(lmttest::writeFile(root + "/bin/dashboard.exe", "x"));
        QVERIFY(lmttest::writeFile(root + "/bin/Dashboard", "x"));

        const auto tool = LmtTool::create("com.t", LmtToolType::ToolsPackage, "Tools");
        const auto local = addLocal(tool, "1.0.0");
        const QString canonicalRoot = QDir(root).absolutePath();

        local->setPath(root + "/bin/tool.exe");
        QCOMPARE(local->installLocation(), canonicalRoot + "/bin");
        local->setPath(root + "/bin/dashboard");
        QCOMPARE(local->installLocation(), canonicalRoot);
        local->setPath(root + "/bin/dashboard.exe");
        QCOMPARE(local->installLocation(), canonicalRoot);
        local->setPath(root + "/bin/Dashboard"); // case-sensitive
        QCOMPARE(local->installLocation(), canonicalRoot + "/bin");
        local->setPath(root + "/bin"); // a folder is no file: as it is
        QCOMPARE(local->installLocation(), root + "/bin");
        local->setPath("C:/gone/dashboard.exe");
        QCOMPARE(local->installLocation(), "C:/gone/dashboard.exe");

        QVERIFY(!local->hasUninstallPath());
        local->setUninstallPath(root + "/uninstall");
        QVERIFY(local->hasUninstallPath());
        QCOMPARE(local->entryNameOrToolName(), "Tools");
        local->setEntryName("Tools (x64)");
        QCOMPARE(local->entryNameOrToolName(), "Tools (x64)");

        const auto thirdParty = Lmt3rdPartyLocalToolVersion::create("5.1.0");
        thirdParty->setPath(root + "/bin/tool.exe");
        thirdParty->setInstallDirectory(root + "/elsewhere");
        QCOMPARE(thirdParty->installLocation(), root + "/elsewhere");
        QVERIFY(thirdParty->selected());
        QVERIFY(!thirdParty->isOnline());
        QCOMPARE(thirdParty->versionNumeric(), 0u);
    }

    void packagesDeriveTheirNames()
    {
        const LmtToolPackage withDownload("Windows",
            QUrl("https://h.example/files/tools-3.2.0.exe/download"), "installer", "exe", 0);
        QCOMPARE(withDownload.downloadName(), "/tools-3.2.0.exe");
        QCOMPARE(withDownload.fileName(), "tools-3.2.0.exe");

        const LmtToolPackage plain(
            "Windows", QUrl("https://h.example/files/tools-3.2.0.exe"), "installer", "exe", 0);
        QCOMPARE(plain.downloadName(), "/tools-3.2.0.exe");
        QCOMPARE(plain.fileName(), "tools-3.2.0.exe");

        // Both names are given decoded.
        const LmtToolPackage encoded(
            "Linux", QUrl("https://h.example/a/my%20tool.zip/download"), "archive", "zip", 0);
        QCOMPARE(encoded.fileName(), "my tool.zip");
        QCOMPARE(encoded.downloadName(), "/my tool.zip");
        QCOMPARE(encoded.os(), "Linux");
        QCOMPARE(encoded.kind(), "archive");
        QCOMPARE(encoded.fileType(), "zip");

        // "/download" is cut at its first occurrence, even inside a segment.
        const LmtToolPackage early(
            "Windows", QUrl("https://h.example/downloads/tool.exe"), "", "", 0);
        QCOMPARE(early.downloadName(), "/h.example");
        QCOMPARE(early.fileName(), "tool.exe");

        const LmtToolPackage noPath("Windows", QUrl("tool.exe"), "", "", 0);
        QCOMPARE(noPath.fileName(), QString());
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

    void pluginsReportWhatIsMissing()
    {
        const auto version = Lmt3rdPartyLocalToolVersion::create("1.2.3");
        QVERIFY(!version->hasPluginsNotInstalled());
        const auto a = std::make_shared<LmtPlugin>("a.id", "Plugin A", "install a.id");
        const auto b = std::make_shared<LmtPlugin>("b.id", "Plugin B", "install b.id");
        const auto c = std::make_shared<LmtPlugin>("c.id", "Plugin C", "install c.id");
        version->addPlugin(a);
        version->addPlugin(b);
        version->addPlugin(c);
        b->setInstalled(true);
        QCOMPARE(version->pluginsNotInstalled(), QList<std::shared_ptr<LmtPlugin>>({ a, c }));
        QCOMPARE(version->pluginNamesNotInstalled(), QStringList({ "Plugin A", "Plugin C" }));
        QVERIFY(version->hasPluginsNotInstalled());
        a->setInstalled(true);
        c->setInstalled(true);
        QVERIFY(!version->hasPluginsNotInstalled());
        QVERIFY(version->pluginNamesNotInstalled().isEmpty());
        QCOMPARE(version->plugins().size(), 3);
    }
};

QTEST_GUILESS_MAIN(TestLmtToolVersion)
#include "tst_LmtToolVersion.moc"
