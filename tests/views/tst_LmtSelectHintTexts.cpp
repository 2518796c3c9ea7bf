#include "common/LmtTestSupport.h"
#include "views/LmtToolSelectModel.h"
#include "views/SelectTestCatalogue.h"

#include <QtTest>

using namespace zendrel::lmt::setup;
using selecttest::Catalogue;

namespace {

const QString ToolsId = QStringLiteral("com.zdr.tb.tool.lumetra");
const QString ToolsPage
    = QStringLiteral("https://tools.zendrel-tech.example/tools/com.zdr.tb.tool.lumetra");
const QString UpdateAvailable = QStringLiteral(
    "Update available. Select the new version in the dropdown and select the check box to "
    "install. ");

QString link(const QString &url)
{
    return QStringLiteral("<a href=\"%1\">%1</a>").arg(url);
}

int rowOfVersion(const LmtToolSelectModel &model, const std::shared_ptr<LmtToolVersion> &version)
{
    for (int i = 0; i < model.rows().size(); ++i) {
        if (model.rows().at(i)->currentVersion() == version)
            return i;
    }
    return -1;
}

QString toolTip(const LmtToolSelectModel &model, const std::shared_ptr<LmtToolVersion> &version)
{
    const int row = rowOfVersion(model, version);
    const QString onCheckBox = model.index(row, 0).data(Qt::ToolTipRole).toString();
    // The name column explains the row the same way.
    if (model.index(row, 1).data(Qt::ToolTipRole).toString() != onCheckBox)
        return QStringLiteral("<name and check box disagree>");
    return onCheckBox;
}

QString information(const LmtToolSelectModel &model, const std::shared_ptr<LmtToolVersion> &version)
{
    return model.index(rowOfVersion(model, version), 3).data(Qt::EditRole).toString();
}

} // namespace

class TestLmtSelectHintTexts : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;

private Q_SLOTS:
    void toolTipsSayWhatWillHappen();
    void informationTextsFollowTheAction();
    void missingDependenciesAreNamed();
    void thirdPartyTextsPointToTheirVendor();
    void installedVersionsShowWhereAndWhatIsNewer();
    void externalToolsKeepOtherLinesInstalled();
    void textsFollowChangesMadeAnywhere();
};

void TestLmtSelectHintTexts::toolTipsSayWhatWillHappen()
{
    Catalogue catalogue;
    auto tools = catalogue.tool(ToolsId, LmtToolType::ToolsPackage, "Lumetra Tools");
    auto installed = Catalogue::installed(tools, "3.1.0", "/opt/lumetra/3.1/");
    auto offered = Catalogue::offered(tools, "3.2.0.17");
    offered->addDependency("com.zdr.pack.signal", 0, LmtToolDependency::Unbounded);
    auto pack = catalogue.tool("com.zdr.pack.signal", LmtToolType::ContentPack, "Signal Pack");
    auto candidate = Catalogue::offered(pack, "2.0.0.4");

    LmtToolSelectModel model(true);
    model.updateToolsData(catalogue.model);
    QCOMPARE(model.rowCount(), 2);

    // The current key is what the drop-down shows: the short text here.
    QCOMPARE(toolTip(model, offered), "Select the check box to install Lumetra Tools 3.2.0");
    model.rows().at(rowOfVersion(model, offered))->setCheckState(Qt::Checked);
    QCOMPARE(toolTip(model, offered), "Lumetra Tools 3.2.0 will be installed");
    offered->setInstallDirectory("/opt/custom/lumetra");
    QCOMPARE(
        toolTip(model, offered), "Lumetra Tools 3.2.0 will be installed at /opt/custom/lumetra");

    // An unmet dependency outranks everything else.
    model.setMissingDependencies({ { offered, candidate } });
    QCOMPARE(toolTip(model, offered),
        "Lumetra Tools 3.2.0 has a dependency on the Signal Pack 2.0.0 which is not installed");
    model.setMissingDependencies({ { offered, nullptr }, { offered, candidate } });
    QCOMPARE(toolTip(model, offered),
        "Lumetra Tools 3.2.0 has a dependency on the "
        "com.zdr.pack.signal which is not installed");
    model.setMissingDependencies({ { installed, nullptr } });
    QCOMPARE(toolTip(model, installed),
        "Lumetra Tools 3.1.0 has a dependency on the tool which is not installed.");

    // Installed versions name their location as the version gives it.
    model.setMissingDependencies({});
    QCOMPARE(toolTip(model, installed), "Lumetra Tools 3.1.0 is installed at /opt/lumetra/3.1/");
    model.uncheckRow(rowOfVersion(model, installed));
    QCOMPARE(toolTip(model, installed), "Lumetra Tools 3.1.0 will be uninstalled");

    // The other columns do not carry the row tool tip.
    QVERIFY(!model.index(rowOfVersion(model, installed), 3).data(Qt::ToolTipRole).isValid());

    // The display name tells the scopes apart when both hold the line.
    Catalogue scopes;
    auto both = scopes.tool(ToolsId, LmtToolType::ToolsPackage, "Lumetra Tools");
    auto forAll = Catalogue::installed(both, "3.1.0", "/opt/all");
    forAll->setInstallScope(LmtToolInstallScope::AllUsers);
    auto forMe = Catalogue::installed(both, "3.1.0", "/home/me/lumetra");
    model.updateToolsData(scopes.model);
    QCOMPARE(toolTip(model, forAll), "Lumetra Tools (All users) 3.1.0 is installed at /opt/all");
    QCOMPARE(toolTip(model, forMe),
        "Lumetra Tools (Current user) 3.1.0 is installed at /home/me/lumetra");
}

void TestLmtSelectHintTexts::informationTextsFollowTheAction()
{
    Catalogue catalogue;
    auto tools = catalogue.tool(ToolsId, LmtToolType::ToolsPackage, "Lumetra Tools");
    auto installed = Catalogue::installed(tools, "3.1.0", "/opt/lumetra/3.1");
    auto update = Catalogue::offered(tools, "3.1.2");
    auto fresh = Catalogue::offered(tools, "3.2.0");
    auto pack = catalogue.tool("com.zdr.pack.signal", LmtToolType::ContentPack, "Signal Pack");
    auto installedPack = Catalogue::installed(pack, "2.4.0", "/opt/packs/signal");
    Catalogue::offered(pack, "2.3.0");

    LmtToolSelectModel base(true);
    base.updateToolsData(catalogue.model);
    auto freshRow = base.rows().at(rowOfVersion(base, fresh));
    auto toolsRow = base.rows().at(rowOfVersion(base, installed));

    QCOMPARE(information(base, fresh),
        "Select the check box to install. To download and install manually go to "
            + link(ToolsPage));
    freshRow->setCheckState(Qt::Checked);
    QCOMPARE(information(base, fresh),
        "Click \"Next\" to install. To download and install manually go to " + link(ToolsPage));

    QVERIFY(toolsRow->selectVersion("3.1.2"));
    QVERIFY(toolsRow->setCheckState(Qt::Checked));
    QCOMPARE(information(base, update),
        "Click \"Next\" to update. To download and install manually go to " + link(ToolsPage));

    QVERIFY(toolsRow->setCheckState(Qt::Unchecked));
    QVERIFY(toolsRow->selectVersion("3.1.0"));
    base.uncheckRow(rowOfVersion(base, installed));
    QCOMPARE(information(base, installed), "Will be uninstalled");

    LmtToolSelectModel additional(false);
    additional.updateToolsData(catalogue.model);
    auto packRow = additional.rows().first();
    QCOMPARE(packRow->currentVersion(), installedPack);
    QVERIFY(packRow->selectVersion("2.3.0"));
    QVERIFY(packRow->setCheckState(Qt::Checked));
    QCOMPARE(packRow->action(), LmtToolSelectRow::Downgrade);
    QCOMPARE(additional.index(0, 3).data(Qt::EditRole).toString(),
        "Click \"Next\" to downgrade. To download and install manually go to "
        "<a href=\"https://tools.zendrel-tech.example/tools/com.zdr.pack.signal\">"
        "https://tools.zendrel-tech.example/tools/com.zdr.pack.signal</a>");
    QVERIFY(!additional.index(0, 3).data(Qt::DisplayRole).isValid());
}

void TestLmtSelectHintTexts::missingDependenciesAreNamed()
{
    Catalogue catalogue;
    auto tools = catalogue.tool(ToolsId, LmtToolType::ToolsPackage, "Lumetra Tools");
    auto installed = Catalogue::installed(tools, "3.1.0", "/opt/lumetra/3.1");
    auto update = Catalogue::offered(tools, "3.1.2");
    update->addDependency("com.zdr.pack.signal", 0, LmtToolDependency::Unbounded);
    update->addDependency("com.zdr.pack.trace", 0, LmtToolDependency::Unbounded);
    auto fresh = Catalogue::offered(tools, "3.2.0");
    auto lone = Catalogue::installed(tools, "4.0.0", "/opt/lumetra/4.0");
    auto pack = catalogue.tool("com.zdr.pack.signal", LmtToolType::ContentPack, "Signal Pack");
    auto candidate = Catalogue::offered(pack, "2.0.0");

    LmtToolSelectModel model(true);
    model.updateToolsData(catalogue.model);
    auto toolsRow = model.rows().at(rowOfVersion(model, installed));
    auto freshRow = model.rows().at(rowOfVersion(model, fresh));
    QVERIFY(freshRow->setCheckState(Qt::Checked));

    // Without a candidate the first dependency's feature id stands in; a version without
    // dependencies adds no name. Entries of other versions do not count.
    model.setMissingDependencies({ { update, candidate }, { fresh, nullptr }, { update, nullptr },
        { lone, candidate }, { installed, candidate } });
    QCOMPARE(information(model, fresh),
        "Click \"Next\" to install. To download and install manually go to " + link(ToolsPage));
    QCOMPARE(information(model, lone),
        "Dependencies are not installed: Signal Pack. Version 4.0.0 installed at  "
        "/opt/lumetra/4.0");
    // With a newer version in the drop-down the update hint takes the place of the warning.
    QCOMPARE(information(model, installed),
        UpdateAvailable
            + "Version 3.1.0 installed at  /opt/lumetra/3.1 will be replaced with 3.1.2");

    QVERIFY(toolsRow->selectVersion("3.1.2"));
    QVERIFY(toolsRow->setCheckState(Qt::Checked));
    QCOMPARE(information(model, update),
        "Click \"Next\" to update. Dependencies will not be installed: Signal Pack, "
        "com.zdr.pack.signal. To download and install manually go to "
            + link(ToolsPage));

    model.setMissingDependencies({ { fresh, candidate } });
    QCOMPARE(information(model, fresh),
        "Click \"Next\" to install. Dependencies will not be installed: Signal Pack. To "
        "download and install manually go to "
            + link(ToolsPage));
    QCOMPARE(model.index(rowOfVersion(model, fresh), 0).data(Qt::ToolTipRole).toString(),
        "Lumetra Tools 3.2.0 has a dependency on the Signal Pack 2.0.0 which is not "
        "installed");
}

void TestLmtSelectHintTexts::thirdPartyTextsPointToTheirVendor()
{
    Catalogue catalogue;
    auto zeta = catalogue.thirdPartyTool("com.other.zeta", "Zeta Editor");
    auto zetaOffer
        = Catalogue::offered3rdParty(zeta, "5.3.0", QUrl("https://zeta.example/get?os=win&x=1"));
    auto alpha = catalogue.thirdPartyTool("com.other.alpha", "Alpha Editor");
    alpha->addKnownPlugin("alpha.lint", "Lint");
    alpha->addKnownPlugin("alpha.trace", "Trace");
    auto alphaOffer = Catalogue::offered3rdParty(alpha, "1.0.0", QUrl("https://alpha.example/"));
    auto beta = catalogue.thirdPartyTool("com.other.beta", "Beta Editor");
    auto betaMissing = Catalogue::installed3rdParty(beta, "7.2.0.9", "/opt/beta/", "/opt/beta/u");
    betaMissing->addPlugin(std::make_shared<LmtPlugin>("beta.lint", "Lint", "beta -i beta.lint"));
    betaMissing->addPlugin(std::make_shared<LmtPlugin>("beta.cov", "Cover", "beta -i beta.cov"));
    betaMissing->addPlugin(std::make_shared<LmtPlugin>("beta.trace", "Trace", "beta -i trace"));
    betaMissing->plugins().at(1)->setInstalled(true);
    auto gamma = catalogue.thirdPartyTool("com.other.gamma", "Gamma Editor");
    auto gammaComplete = Catalogue::installed3rdParty(gamma, "3.0.0", "/opt/gamma");
    gammaComplete->addPlugin(std::make_shared<LmtPlugin>("g.lint", "Lint", "gamma -i g.lint"));
    gammaComplete->plugins().first()->setInstalled(true);

    LmtToolSelectModel model(true);
    model.updateToolsData(catalogue.model);
    QCOMPARE(model.rowCount(), 4);

    // Rich text: the address's "&" is written as an entity, in the link and in its caption.
    QCOMPARE(information(model, zetaOffer),
        "Download Zeta Editor by clicking <a href=\"https://zeta.example/get?os=win&amp;x=1\">"
        "https://zeta.example/get?os=win&amp;x=1</a>.");
    QCOMPARE(information(model, alphaOffer),
        "Download Alpha Editor by clicking <a href=\"https://alpha.example/\">"
        "https://alpha.example/</a>. After installing, open Alpha Editor and install Lint, "
        "Trace extension(s).");
    QCOMPARE(information(model, betaMissing),
        "Warning: \"Lint, Trace\" extension(s) not installed in Beta Editor version 7.2.0 "
        "installed at  /opt/beta");
    QCOMPARE(information(model, gammaComplete), "Version 3.0.0 installed at  /opt/gamma");

    // A selected 3rd-party offer is installed like any other tool.
    model.rows().at(rowOfVersion(model, zetaOffer))->setCheckState(Qt::Checked);
    QCOMPARE(information(model, zetaOffer),
        "Click \"Next\" to install. To download and install manually go to "
        "<a href=\"https://tools.zendrel-tech.example/tools/com.other.zeta\">"
        "https://tools.zendrel-tech.example/tools/com.other.zeta</a>");
}

void TestLmtSelectHintTexts::installedVersionsShowWhereAndWhatIsNewer()
{
    Catalogue catalogue;
    auto tools = catalogue.tool(ToolsId, LmtToolType::ToolsPackage, "Lumetra Tools");
    auto updatable = Catalogue::installed(tools, "3.1.0", "/opt/lumetra/3.1/");
    Catalogue::offered(tools, "3.1.2");
    Catalogue::offered(tools, "3.1.1");
    auto build = Catalogue::installed(tools, "4.0.0.5", "C:\\Tools\\Lumetra\\");
    Catalogue::offered(tools, "4.0.0.7");
    auto root = Catalogue::installed(tools, "5.0.0", "/");
    auto plain = Catalogue::installed(tools, "6.0.0", "/opt/lumetra/6.0");

    LmtToolSelectModel model(true);
    model.updateToolsData(catalogue.model);
    QCOMPARE(model.rowCount(), 4);

    QCOMPARE(information(model, updatable),
        UpdateAvailable
            + "Version 3.1.0 installed at  /opt/lumetra/3.1 will be replaced with 3.1.2");
    // Builds of one major.minor.patch are keyed by their full texts, and so is the shown
    // version; one trailing separator of either kind is dropped.
    QCOMPARE(information(model, build),
        UpdateAvailable
            + "Version 4.0.0.5 installed at  C:\\Tools\\Lumetra will be replaced with "
              "4.0.0.7");
    QCOMPARE(information(model, root), "Version 5.0.0 installed at  /");
    QCOMPARE(information(model, plain), "Version 6.0.0 installed at  /opt/lumetra/6.0");
}

void TestLmtSelectHintTexts::externalToolsKeepOtherLinesInstalled()
{
    Catalogue catalogue;
    auto probe = catalogue.tool("com.zdr.ext.probe", LmtToolType::External, "Probe");
    auto old = Catalogue::installed(probe, "1.0.0", "/opt/probe/1.0");
    auto newer = Catalogue::installed(probe, "2.0.0", "/opt/probe/2.0");

    LmtToolSelectModel model(false);
    model.updateToolsData(catalogue.model);
    QCOMPARE(model.rowCount(), 1);
    auto row = model.rows().first();
    QCOMPARE(row->currentVersion(), newer);
    QCOMPARE(information(model, newer), "Version 2.0.0 installed at  /opt/probe/2.0");

    QVERIFY(row->selectVersion("1.0.0"));
    QCOMPARE(information(model, old),
        "A newer version is already installed. Version 1.0.0 installed at  /opt/probe/1.0.");

    // Once the newer installation goes, it is an update that leaves this one in place.
    QVERIFY(row->selectVersion("2.0.0"));
    model.uncheckRow(0);
    QVERIFY(row->selectVersion("1.0.0"));
    QCOMPARE(information(model, old),
        UpdateAvailable + "Version 1.0.0 installed at  /opt/probe/1.0 will remain installed.");

    // An offered newer version of another line does not replace it either...
    Catalogue offers;
    probe = offers.tool("com.zdr.ext.probe", LmtToolType::External, "Probe");
    auto current = Catalogue::installed(probe, "2.1.3", "/opt/probe/2.1");
    Catalogue::offered(probe, "3.0.0");
    model.updateToolsData(offers.model);
    QCOMPARE(information(model, current),
        UpdateAvailable + "Version 2.1.3 installed at  /opt/probe/2.1 will remain installed.");

    // ...while one of its own line does.
    Catalogue patches;
    probe = patches.tool("com.zdr.ext.probe", LmtToolType::External, "Probe");
    current = Catalogue::installed(probe, "2.1.3", "/opt/probe/2.1");
    Catalogue::offered(probe, "2.1.5");
    model.updateToolsData(patches.model);
    QCOMPARE(information(model, current),
        UpdateAvailable + "Version 2.1.3 installed at  /opt/probe/2.1 will be replaced with 2.1.5");
}

QTEST_MAIN(TestLmtSelectHintTexts)
#include "tst_LmtSelectHintTexts.moc"

// The model keeps each row's information text until the row's state changes; a change must
// show even when it bypasses the model (the select view checks rows directly while selecting
// dependencies) and even when it touches an entry the row does not show.
void TestLmtSelectHintTexts::textsFollowChangesMadeAnywhere()
{
    Catalogue catalogue;
    auto probe = catalogue.tool("com.zdr.ext.probe", LmtToolType::External, "Probe");
    auto old = Catalogue::installed(probe, "1.0.0", "/opt/probe/1.0");
    auto newer = Catalogue::installed(probe, "2.0.0", "/opt/probe/2.0");
    newer->addDependency("com.zdr.drivers", 0, LmtToolDependency::Unbounded);
    auto drivers = catalogue.tool("com.zdr.drivers", LmtToolType::Other, "Drivers");
    auto driversOne = Catalogue::offered(drivers, "1.5.0");

    LmtToolSelectModel model(false);
    model.updateToolsData(catalogue.model);
    auto row = model.rows().at(rowOfVersion(model, newer));
    QVERIFY(row->selectVersion("1.0.0"));
    const QString kept
        = "A newer version is already installed. Version 1.0.0 installed at  /opt/probe/1.0.";
    QCOMPARE(information(model, old), kept);

    // Only the flag of the entry the row does not show changes.
    newer->setSelected(false);
    QCOMPARE(information(model, old),
        UpdateAvailable + "Version 1.0.0 installed at  /opt/probe/1.0 will remain installed.");
    newer->setSelected(true);
    QCOMPARE(information(model, old), kept);

    // The shown version's own flag.
    old->setSelected(false);
    QCOMPARE(information(model, old), "Will be uninstalled");
    old->setSelected(true);

    // Unmet dependencies: added, given a candidate, taken away again.
    QVERIFY(row->selectVersion("2.0.0"));
    const int newerRow = rowOfVersion(model, newer);
    QCOMPARE(information(model, newer), "Version 2.0.0 installed at  /opt/probe/2.0");
    model.setMissingDependencies({ { newer, nullptr } });
    QCOMPARE(information(model, newer),
        "Dependencies are not installed: com.zdr.drivers. Version 2.0.0 installed at  "
        "/opt/probe/2.0");
    model.setMissingDependencies({ { newer, driversOne } });
    QCOMPARE(information(model, newer),
        "Dependencies are not installed: Drivers. Version 2.0.0 installed at  /opt/probe/2.0");
    QVERIFY(model.index(newerRow, 1).data(Qt::DecorationRole).isValid());
    model.setMissingDependencies({});
    QCOMPARE(information(model, newer), "Version 2.0.0 installed at  /opt/probe/2.0");
    QVERIFY(!model.index(newerRow, 1).data(Qt::DecorationRole).isValid());

    // A new catalogue: nothing of the old rows' texts survives. Its row shows a head that has
    // no package for this platform and so is no entry of the row; its flag still counts.
    Catalogue other;
    auto pack = other.tool("com.zdr.pack", LmtToolType::ContentPack, "Board Pack");
    Catalogue::offered(pack, "1.0.0");
    auto packHead = Catalogue::offered(pack, "1.0.1", 0, QString());
    model.updateToolsData(other.model);
    const QString packPage = link("https://tools.zendrel-tech.example/tools/com.zdr.pack");
    QCOMPARE(information(model, packHead),
        "Select the check box to install. To download and install manually go to " + packPage);
    QVERIFY(!model.rows().first()->versions().contains(packHead));
    packHead->setSelected(true);
    QCOMPARE(information(model, packHead),
        "Click \"Next\" to install. To download and install manually go to " + packPage);
}
