#include "common/LmtModelFixtures.h"
#include "common/LmtTestSupport.h"
#include "model/LmtCoreToolModel.h"
#include "model/LmtTool.h"
#include "ui/LmtToolLaunchView.h"
#include "ui/LmtToolLoadView.h"

#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QTest>

using namespace zendrel::lmt::setup;

class tst_LmtLoadLaunchViews : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;

    QString program(const QString &name)
    {
        const QString path = m_sandbox.filePath("programs/" + name);
        lmttest::writeFile(path, "#!/bin/sh\nexit 0\n", true);
        return path;
    }

    static QStringList texts(const LmtToolLaunchView &view, bool tickedOnly)
    {
        QStringList result;
        for (QCheckBox *box : view.checkBoxes()) {
            if (!tickedOnly || box->isChecked())
                result << box->text();
        }
        return result;
    }

private Q_SLOTS:
    void loadViewStates()
    {
        LmtToolLoadView view;
        view.show();
        QCOMPARE(view.objectName(), QString("LmtToolLoadView"));
        QCOMPARE(view.errorLabel()->text(), QString("Failed to fetch tools information"));
        QVERIFY(view.loaderLabel()->pixmap().toImage().width() > 0);
        // Animation running, loader shown, error shown.
        const auto shows = [&view] {
            return QList<bool> { view.isAnimationRunning(), view.loaderLabel()->isVisible(),
                view.errorLabel()->isVisible() };
        };
        // The constructor applies the idle state.
        QCOMPARE(shows(), (QList<bool> { false, true, false }));
        view.setState(LmtToolLoadView::Loading);
        QCOMPARE(shows(), (QList<bool> { true, true, false }));
        // The loader really turns: its frame changes while loading.
        const QImage first = view.loaderLabel()->pixmap().toImage();
        QTRY_VERIFY_WITH_TIMEOUT(view.loaderLabel()->pixmap().toImage() != first, 5000);
        view.setState(LmtToolLoadView::Error);
        QCOMPARE(shows(), (QList<bool> { false, false, true }));
        // Unknown states change nothing.
        view.setState(7);
        QCOMPARE(shows(), (QList<bool> { false, false, true }));
        view.setState(LmtToolLoadView::Idle);
        QCOMPARE(shows(), (QList<bool> { false, true, false }));
    }

    void launchViewOffersInstalledTools()
    {
        auto model = std::make_shared<LmtCoreToolModel>();
        LmtToolLaunchView view;
        view.updateToolsData(model, false);
        QCOMPARE(view.infoLabel()->text(),
            QString("Setup has finished installing the requested packages."));
        QVERIFY(view.checkBoxes().isEmpty());

        auto pack = LmtTool::create("com.zdr.pack", LmtToolType::ContentPack, "Pack");
        auto ext = LmtTool::create("com.zdr.ext", LmtToolType::External, "Ext");
        auto gone = LmtTool::create("com.zdr.gone", LmtToolType::Other, "Gone");
        for (const auto &tool : { pack, ext, gone })
            model->addTool(tool);
        lmttest::addLocal(pack, "1.0.0")->setPath(program("pack"));
        auto extInstalled = lmttest::addLocal(ext, "2.0.0");
        extInstalled->setPath(program("ext"));
        extInstalled->setEntryName("Ext Studio");
        lmttest::addLocal(gone, "1.0.0")->setPath(m_sandbox.filePath("programs/missing"));
        lmttest::addOnline(pack, "3.0.0");

        view.updateToolsData(model, true);
        QCOMPARE(view.infoLabel()->text(),
            QString("Setup has finished uninstalling the requested packages."));
        // Sorted by text; without the tools package every box starts ticked; a missing
        // program is not offered.
        QCOMPARE(texts(view, false), QStringList({ "Run Ext Studio", "Run Pack" }));
        QCOMPARE(texts(view, true), QStringList({ "Run Ext Studio", "Run Pack" }));
        QVERIFY(view.checkBoxes().first()->contentsMargins().left() >= 10);

        // Offered once only; with the tools package installed, only its box starts ticked.
        auto main = LmtTool::create("com.zdr.main", LmtToolType::ToolsPackage, "Lumetra");
        auto pack2 = LmtTool::create("com.zdr.pack2", LmtToolType::ContentPack, "Pack Two");
        model->addTool(main);
        model->addTool(pack2);
        lmttest::addLocal(main, "5.0.0")->setPath(program("main"));
        lmttest::addLocal(pack2, "1.0.0")->setPath(program("pack2"));
        view.updateToolsData(model, false);
        QCOMPARE(texts(view, false), QStringList({ "Run Lumetra", "Run Pack Two" }));
        QCOMPARE(texts(view, true), QStringList({ "Run Lumetra" }));
    }
};

QTEST_MAIN(tst_LmtLoadLaunchViews)
#include "tst_LmtLoadLaunchViews.moc"
