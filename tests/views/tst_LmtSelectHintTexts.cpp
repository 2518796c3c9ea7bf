#include "common/LmtTestSupport.h"
#include "views/LmtToolSelectModel.h"
#include "views/SelectTestCatalogue.h"

#include <QtTest>

using namespace zendrel::lmt::setup;
using selecttest::SelectRig;

namespace {

const QString UpdateAvailable = QStringLiteral(
    "Update available. Select the new version in the dropdown and select the check box to "
    "install. ");
const QString ManualPrefix = QStringLiteral(" To download and install manually go to ");

} // namespace

class TestLmtSelectHintTexts : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;

private Q_SLOTS:
    void hintsSayWhatWillHappen_data();
    void hintsSayWhatWillHappen();
};

void TestLmtSelectHintTexts::hintsSayWhatWillHappen_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<bool>("base");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("information"); // {page}: link to the tool's vendor page
    QTest::addColumn<QString>("toolTip");
    const QString tools = "views/hints-tools.json";
    const QString ext = "views/hints-external.json";
    const QString other = "views/hints-3rdparty.json";
    const QString none;
    const QString clickNext = "Click \"Next\" to ";

    // Tool tips, the short key of the drop-down naming the version.
    QTest::newRow("offer") << tools << true << QStringList() << "dep" << none
                           << "Select the check box to install Lumetra Tools 3.2.0";
    QTest::newRow("offer checked") << tools << true << QStringList { "check dep" } << "dep" << none
                                   << "Lumetra Tools 3.2.0 will be installed";
    QTest::newRow("offer checked with folder")
        << tools << true << QStringList { "check dep", "dir dep /opt/custom/lumetra" } << "dep"
        << none << "Lumetra Tools 3.2.0 will be installed at /opt/custom/lumetra";
    QTest::newRow("unmet dependency outranks all")
        << tools << true << QStringList { "check dep", "dir dep /opt/custom", "missing dep=older" }
        << "dep" << none
        << "Lumetra Tools 3.2.0 has a dependency on the Signal Pack 2.3.0 which is not installed";
    QTest::newRow("unmet dependency without candidate")
        << tools << true << QStringList { "missing dep= dep=older" } << "dep" << none
        << "Lumetra Tools 3.2.0 has a dependency on the com.zdr.pack.signal which is not "
           "installed";
    QTest::newRow("installed with unmet dependency")
        << tools << true << QStringList { "missing inst=" } << "inst" << none
        << "Lumetra Tools 3.1.0 has a dependency on the tool which is not installed.";
    QTest::newRow("installed") << tools << true << QStringList() << "inst"
                               << UpdateAvailable
            + "Version 3.1.0 installed at  /opt/lumetra/3.1 will be replaced with 3.1.2"
                               << "Lumetra Tools 3.1.0 is installed at /opt/lumetra/3.1/";
    QTest::newRow("installed unchecked")
        << tools << true << QStringList { "uncheck inst" } << "inst"
        << "Will be uninstalled"
        << "Lumetra Tools 3.1.0 will be uninstalled";
    QTest::newRow("all users") << tools << true << QStringList() << "all" << none
                               << "Dual Tools (All users) 3.1.0 is installed at /opt/all";
    QTest::newRow("current user")
        << tools << true << QStringList() << "mine" << none
        << "Dual Tools (Current user) 3.1.0 is installed at /home/me/dual";

    // Information texts follow the action.
    QTest::newRow("install") << tools << true << QStringList() << "fresh"
                             << "Select the check box to install." + ManualPrefix + "{page}"
                             << none;
    QTest::newRow("install checked") << tools << true << QStringList { "check fresh" } << "fresh"
                                     << clickNext + "install." + ManualPrefix + "{page}" << none;
    QTest::newRow("update checked") << tools << true << QStringList { "check upd" } << "upd"
                                    << clickNext + "update." + ManualPrefix + "{page}" << none;
    QTest::newRow("downgrade checked")
        << tools << false << QStringList { "check older" } << "older"
        << clickNext + "downgrade." + ManualPrefix + "{page}" << none;
    QTest::newRow("dependencies named, else first id")
        << tools << true
        << QStringList { "check upd", "missing upd=older fresh= upd= lone=older inst=older" }
        << "upd"
        << clickNext
            + "update. Dependencies will not be installed: Signal Pack, com.zdr.pack.signal."
            + ManualPrefix + "{page}"
        << none;
    QTest::newRow("version without dependencies names none")
        << tools << true << QStringList { "check fresh", "missing fresh= inst=older" } << "fresh"
        << clickNext + "install." + ManualPrefix + "{page}" << none;
    QTest::newRow("candidate named")
        << tools << true << QStringList { "check fresh", "missing fresh=older" } << "fresh"
        << clickNext + "install. Dependencies will not be installed: Signal Pack." + ManualPrefix
            + "{page}"
        << none;
    QTest::newRow("installed with a dependency")
        << tools << true << QStringList { "missing lone=older" } << "lone"
        << "Dependencies are not installed: Signal Pack. Version 4.0.0 installed at  "
           "/opt/lumetra/4.0"
        << none;
    QTest::newRow("update hint outranks the warning")
        << tools << true << QStringList { "missing inst=older" } << "inst"
        << UpdateAvailable
            + "Version 3.1.0 installed at  /opt/lumetra/3.1 will be replaced with 3.1.2"
        << none;
    // Builds are keyed by their full texts; one trailing separator of either kind is dropped.
    QTest::newRow("build") << tools << true << QStringList() << "build"
                           << UpdateAvailable
            + "Version 4.0.0.5 installed at  C:\\Tools\\Lumetra will be replaced with 4.0.0.7"
                           << none;
    QTest::newRow("root folder") << tools << true << QStringList() << "root"
                                 << "Version 5.0.0 installed at  /" << none;

    // External tools keep other lines installed.
    const QString kept
        = "A newer version is already installed. Version 1.0.0 installed at  /opt/probe/1.0.";
    const QString remains
        = UpdateAvailable + "Version 1.0.0 installed at  /opt/probe/1.0 will remain installed.";
    const QString newer = "Version 2.0.0 installed at  /opt/probe/2.0";
    QTest::newRow("newest line") << ext << false << QStringList() << "newer" << newer << none;
    QTest::newRow("older line") << ext << false << QStringList { "show old" } << "old" << kept
                                << none;
    QTest::newRow("older line, newer one going")
        << ext << false << QStringList { "uncheck newer", "show old" } << "old" << remains << none;
    QTest::newRow("newer line offered")
        << ext << false << QStringList() << "major"
        << UpdateAvailable + "Version 2.1.3 installed at  /opt/major/2.1 will remain installed."
        << none;
    QTest::newRow("own line offered") << ext << false << QStringList() << "patched"
                                      << UpdateAvailable
            + "Version 2.1.3 installed at  /opt/patch/2.1 will be replaced with 2.1.5"
                                      << none;

    // Texts follow changes that bypass the model, also of entries the row does not show.
    QTest::newRow("hidden entry unflagged")
        << ext << false << QStringList { "show old", "flag newer off" } << "old" << remains << none;
    QTest::newRow("hidden entry flagged again")
        << ext << false << QStringList { "show old", "flag newer off", "flag newer on" } << "old"
        << kept << none;
    QTest::newRow("shown entry unflagged")
        << ext << false << QStringList { "show old", "flag old off" } << "old"
        << "Will be uninstalled" << none;
    QTest::newRow("unmet dependency added")
        << ext << false << QStringList { "missing newer=" } << "newer"
        << "Dependencies are not installed: com.zdr.drivers. " + newer << none;
    QTest::newRow("unmet dependency given a candidate")
        << ext << false << QStringList { "missing newer=", "missing newer=drivers" } << "newer"
        << "Dependencies are not installed: Drivers. " + newer << none;
    QTest::newRow("unmet dependency taken away")
        << ext << false << QStringList { "missing newer=drivers", "missing" } << "newer" << newer
        << none;
    // The head has no package for this platform, so it is no entry of the row; its flag counts.
    QTest::newRow("new catalogue")
        << ext << false << QStringList { "show old", "load views/hints-pack.json" } << "head"
        << "Select the check box to install." + ManualPrefix + "{page}" << none;
    QTest::newRow("head without package flagged")
        << ext << false << QStringList { "load views/hints-pack.json", "flag head on" } << "head"
        << clickNext + "install." + ManualPrefix + "{page}" << none;

    // 3rd-party texts point to their vendor; "&" is written as an entity in rich text.
    QTest::newRow("3rd-party offer")
        << other << true << QStringList() << "zeta"
        << "Download Zeta Editor by clicking <a href=\"https://zeta.example/get?os=win&amp;x=1\">"
           "https://zeta.example/get?os=win&amp;x=1</a>."
        << none;
    QTest::newRow("3rd-party offer with extensions")
        << other << true << QStringList() << "alpha"
        << "Download Alpha Editor by clicking <a href=\"https://alpha.example/\">"
           "https://alpha.example/</a>. After installing, open Alpha Editor and install Lint, "
           "Trace extension(s)."
        << none;
    QTest::newRow("3rd-party extensions missing")
        << other << true << QStringList() << "beta"
        << "Warning: \"Lint, Trace\" extension(s) not installed in Beta Editor version 7.2.0 "
           "installed at  /opt/beta"
        << none;
    QTest::newRow("3rd-party complete") << other << true << QStringList() << "gamma"
                                        << "Version 3.0.0 installed at  /opt/gamma" << none;
    QTest::newRow("3rd-party offer checked")
        << other << true << QStringList { "check zeta" } << "zeta"
        << clickNext + "install." + ManualPrefix + "{page}" << none;
}

void TestLmtSelectHintTexts::hintsSayWhatWillHappen()
{
    QFETCH(QString, fixture);
    QFETCH(bool, base);
    QFETCH(QStringList, steps);
    QFETCH(QString, label);
    QFETCH(QString, information);
    QFETCH(QString, toolTip);

    SelectRig rig(fixture, base);
    for (const QString &step : steps)
        rig.run(step);
    const QString page
        = "https://tools.zendrel-tech.example/tools/" + rig.version(label)->tool()->featureId();
    information.replace("{page}", QString("<a href=\"%1\">%1</a>").arg(page));
    if (!information.isNull())
        QCOMPARE(rig.information(label), information);
    if (!toolTip.isNull())
        QCOMPARE(rig.toolTip(label), toolTip);
}

QTEST_MAIN(TestLmtSelectHintTexts)
#include "tst_LmtSelectHintTexts.moc"
