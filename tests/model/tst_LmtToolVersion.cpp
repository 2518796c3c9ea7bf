#include "common/LmtModelFixtures.h"
#include "common/LmtTableRows.h"
#include "common/LmtTestSupport.h"
#include "model/Lmt3rdPartyLocalToolVersion.h"
#include "model/Lmt3rdPartyOnlineToolVersion.h"
#include "model/LmtLocalToolVersion.h"
#include "model/LmtModelScript.h"
#include "model/LmtOnlineToolVersion.h"
#include "model/LmtTool.h"
#include "model/LmtToolType.h"
#include "platform/LmtPlatform.h"

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
struct UnownedVersion : LmtOnlineToolVersion {
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
        lmttest::rowsFrom("model/version-texts.txt", { "text", "display", "parts", "valid" });
    }

    void versionTextsSplitIntoParts()
    {
        QFETCH(QString, text);
        QFETCH(QString, parts);
        quint32 major = 9, minor = 9, patch = 9, build = 9;
        loose(text)->versionParts(major, minor, patch, build);
        QCOMPARE(QString("%1,%2,%3,%4").arg(major).arg(minor).arg(patch).arg(build), parts);
        QTEST(loose(text)->displayVersion(), "display");
        QTEST(QString(LmtToolVersion::isValidVersionText(text) ? "yes" : "no"), "valid");
    }

    void versionsCompareByTheirParts_data()
    {
        lmttest::rowsFrom("model/version-order.txt", { "a", "b", "order" });
    }

    void versionsCompareByTheirParts()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(QString, order);
        const int sign = order.toInt();
        const auto x = loose(a, 999);
        const auto y = loose(b, 1);
        // compare both ways, then <, >, >= both ways, against what the sign says they must be.
        QCOMPARE((QList<int> { LmtToolVersion::compare(*x, *y), -LmtToolVersion::compare(*y, *x),
                     *x<*y, *x> * y, *x >= *y, *y >= *x }),
            (QList<int> { sign, sign, sign<0, sign> 0, sign >= 0, sign <= 0 }));
    }

    void versionsWithoutAToolAreTheirOwn()
    {
        const auto tool = LmtTool::create("com.a", LmtToolType::Other, "A");
        const auto online = addOnline(tool, "1.0.0");
        QVERIFY(*online != *loose("1.0.0") && *loose("1.0.0") == *loose("1.0.0")
            && loose("1.0.0")->relatedVersions().isEmpty());
        QCOMPARE(loose("1.0.0")->featureId() + '|' + online->featureId(), "|com.a");
    }

    void selectionIsValidatedAndChangesAreLogged()
    {
        lmttest::LogCapture capture;
        const auto tool = LmtTool::create("com.a", LmtToolType::ToolsPackage, "A");
        const auto first = addOnline(tool, "3.2.0.100");
        const auto second = addOnline(tool, "3.2.0.200");
        first->setSelected(true);
        QVERIFY(capture.contains("[LmtToolVersion] Selected version: 3.2.0.100"));
        addOnline(tool, "3.3.0.1")->setSelected(true);

        QCOMPARE(lmttest::failureOf([&] { second->setSelected(true); }),
            "Invalid version invariant: Several versions with the same major, minor and patch "
            "cannot be selected");
        QVERIFY(second->selected()); // stored before the check, as callers rely on

        second->setSelected(false);
        QVERIFY(capture.contains("[LmtToolVersion] Unselected version: 3.2.0.200"));
        first->setSelected(false);
        second->setSelected(true); // alone in its line now
        first->setSelected(false); // unselecting never throws

        // Installed versions start as "keep" and are never restricted.
        capture.clear();
        QVERIFY(addLocal(tool, "3.2.0.100")->selected() && addLocal(tool, "3.2.0.300")->selected());
        QVERIFY(capture.contains("[LmtToolVersion] Selected version: 3.2.0.100"));
        first->addDependency("com.b", 0, LmtToolDependency::Unbounded);
        QVERIFY(
            capture.contains("[LmtToolVersion] Add dependency, targetFeatureId: com.b, verMin: 0, "
                             "verMax: 18446744073709551615"));
    }

    void installDirectoryPlaceholdersExpand_data()
    {
        lmttest::rowsFrom("model/placeholders.txt", { "drive", "text", "expanded" });
    }

    void installDirectoryPlaceholdersExpand()
    {
        QFETCH(QString, drive);
        QFETCH(QString, text);
        QFETCH(QString, expanded);
        // The sandbox owns this process's environment.
        qputenv("USERNAME", "alice");
        qputenv("USERPROFILE", "/home/alice");
        drive.isEmpty() ? qunsetenv("SYSTEMDRIVE") : qputenv("SYSTEMDRIVE", drive.toUtf8());
        QCOMPARE(LmtToolVersion::expandPlaceholders(text), expanded);

        // Directories are kept expanded, per scope as well.
        const auto online = loose("1.0.0");
        online->setInstallDirectory(text);
        online->setInstallDirectoryFor(LmtToolInstallScope::AllUsers, text);
        QCOMPARE(online->installDirectory() + '|'
                + online->installDirectoryFor(LmtToolInstallScope::AllUsers),
            expanded + '|' + expanded);
    }

    void scopesAreThoseWithADirectory()
    {
        const auto online = loose("1.0.0");
        online->setInstallDirectoryFor(LmtToolInstallScope::AllUsers, "/opt");
        QCOMPARE(online->supportedScopes(), QList { LmtToolInstallScope::AllUsers });
        QCOMPARE(online->installDirectoryFor(LmtToolInstallScope::CurrentUser)
                + online->installDirectory(),
            QString());
        online->setInstallDirectoryFor(LmtToolInstallScope::CurrentUser, "/home");
        QCOMPARE(online->supportedScopes(),
            QList({ LmtToolInstallScope::CurrentUser, LmtToolInstallScope::AllUsers }));
    }

    // Versions of one line replace each other; selection allows one version per line.
    // How the versions of a catalogue relate: "related <version>" (its line), "counterparts"
    // (">" names the installation an offer replaces), "names" (display names, "+" with a sibling
    // in the other scope), "patch lines" (pairs of one line), "equal" pairs and "display order".
    void versionRelations_data()
    {
        lmttest::rowsFrom("model/version-relations.txt", { "catalogue", "query", "answer" });
    }
    void versionRelations()
    {
        QFETCH(QString, catalogue);
        QFETCH(QString, query);
        const lmttest::ModelScript script(catalogue);
        LmtToolVersionList all = script.all();
        QStringList answer;
        const auto yesNo = [](bool value) { return QString(value ? "yes" : "no"); };
        if (query == "lines") {
            answer << yesNo(all[0]->isSameLine(*all[1], true))
                   << yesNo(all[0]->isSameLine(*all[1], false))
                   << yesNo(all[0]->isSameLine(*all.last(), false));
        }
        if (query.startsWith("related "))
            answer << script.names(script[query.section(' ', 1)]->relatedVersions());
        for (const auto &version : all) {
            const auto replaced = version->isOnline() ? version->replacedLocalVersion() : nullptr;
            if (query == "counterparts" && version->hasCounterpart())
                answer << script.name(version) + (replaced ? '>' + script.name(replaced) : "");
            if (query == "names")
                answer << version->displayName() + (version->hasSiblingInOtherScope() ? "+" : "");
            for (const auto &other : all.mid(all.indexOf(version) + 1)) {
                if (query == "patch lines" && version->isSamePatchLine(*other))
                    answer << script.name(version) + '~' + script.name(other);
                if (query == "equal" && *version == *other)
                    answer << script.name(version) + '=' + script.name(other);
                QCOMPARE(*version != *other, !(*version == *other));
            }
        }
        if (query == "display order") {
            QVERIFY(!displayOrderLess(all.first(), all.first()));
            std::sort(all.begin(), all.end(),
                [](const auto &x, const auto &y) { return displayOrderLess(x, y); });
            answer << script.names(all);
        }
        QTEST(answer.join(query == "lines" ? " " : ", "), "answer");
    }

    void installLocationFindsTheInstallationFolder_data()
    {
        lmttest::rowsFrom("model/install-locations.txt", { "path", "location" });
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
        const auto local = addLocal(tool, "1");
        const auto seen = [&local] {
            return QString::number(local->hasUninstallPath()) + local->entryNameOrToolName();
        };
        QCOMPARE(seen(), "0Tools");
        local->setUninstallPath("/opt/t/uninstall");
        local->setEntryName("Tools (x64)");
        QCOMPARE(seen(), "1Tools (x64)");

        // A 3rd-party installation knows its folder.
        const auto thirdParty = Lmt3rdPartyLocalToolVersion::create("5.1.0");
        thirdParty->setPath("/opt/t/bin/tool.exe");
        thirdParty->setInstallDirectory("/opt/elsewhere");
        QCOMPARE(thirdParty->installLocation(), "/opt/elsewhere");
    }

    void packagesDeriveTheirNames_data()
    {
        lmttest::rowsFrom("model/package-names.txt", { "url", "fileName", "downloadName" });
    }

    void packagesDeriveTheirNames()
    {
        QFETCH(QString, url);
        const LmtToolPackage package("Linux", QUrl(url), "archive", "zip", 0);
        QTEST(package.downloadName(), "downloadName");
        QTEST(package.fileName(), "fileName");
    }

    void packageSizesAreKeptIn32Bits_data()
    {
        lmttest::rowsFrom("model/package-sizes.txt", { "megabytes", "bytes", "kept" });
    }
    void packageSizesAreKeptIn32Bits()
    {
        QFETCH(QString, megabytes);
        QFETCH(QString, bytes);
        QCOMPARE(LmtToolPackage::bytesFromMegabytes(megabytes.toDouble()), bytes.toLongLong());
        const LmtToolPackage package(
            "Windows", QUrl("https://h.example/x.exe"), "", "", bytes.toLongLong());
        QTEST(QString::number(package.fileSize()), "kept");
    }

    void packagesBelongToTheirVersion()
    {
        lmttest::LogCapture capture;
        const auto version = loose("3.2.0");

        const QString os = zendrel::lmt::platform::osName();
        const auto package = [](const QString &system, const QString &name) {
            return std::make_shared<LmtToolPackage>(
                system, QUrl("https://h.example/" + name + ".zip"), "", "", 0);
        };
        const auto foreign = package("Solaris", "foreign");
        const auto first = package(os, "first");
        version->addPackage(package(os.toLower(), "lower"));
        version->addPackage(foreign);
        QVERIFY(!version->hasPackageForCurrentOs()); // the OS name is compared exactly
        version->addPackage(first);
        version->addPackage(package(os, "second"));
        QCOMPARE(version->packageForCurrentOs(), first);
        QVERIFY(version->hasPackageForCurrentOs() && first->version() == version);
        QCOMPARE(version->packages().size(), 4);
        QVERIFY(capture.contains(
            "[LmtOnlineToolVersion] Add package, url: https://h.example/first.zip"));

        // The 3rd-party offered version is owned the same way.
        const auto external = Lmt3rdPartyOnlineToolVersion::create(QString());
        external->addPackage(foreign);
        QCOMPARE(foreign->version(), external);

        // Adding to a version outside any shared_ptr fails cleanly.
        UnownedVersion unowned;
        const auto orphan = package(os, "orphan");
        QVERIFY_THROWS_EXCEPTION(std::bad_weak_ptr, unowned.addPackage(orphan));
        QVERIFY(unowned.packages().isEmpty() && !orphan->version());
    }
};

QTEST_GUILESS_MAIN(TestLmtToolVersion)
#include "tst_LmtToolVersion.moc"
