#include "common/LmtTableRows.h"
#include "common/LmtTestSupport.h"
#include "views/LmtToolSelectModel.h"
#include "views/SelectTestCatalogue.h"

#include <QtTest>

using namespace zendrel::lmt::setup;
using selecttest::SelectRig;

class TestLmtSelectHintTexts : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;

private Q_SLOTS:
    // Each case: a catalogue, the user's steps, then the information text of a row ({page}: the
    // link to the tool's vendor page) and the tool tip of its check box and name.
    void hintsSayWhatWillHappen_data() { lmttest::rowsFrom("views/hints-cases.json", "given"); }

    void hintsSayWhatWillHappen()
    {
        QFETCH(QJsonObject, given);
        SelectRig rig("views/" + given["fixture"].toString() + ".json", given["base"].toBool(true));
        rig.runAll(given["steps"]);
        const QString label = given["label"].toString();
        const QString page
            = "https://tools.zendrel-tech.example/tools/" + rig.version(label)->tool()->featureId();
        if (given.contains("information"))
            QCOMPARE(rig.information(label),
                given["information"].toString().replace(
                    "{page}", QString("<a href=\"%1\">%1</a>").arg(page)));
        if (given.contains("toolTip"))
            QCOMPARE(rig.toolTip(label), given["toolTip"].toString());
    }
};

QTEST_MAIN(TestLmtSelectHintTexts)
#include "tst_LmtSelectHintTexts.moc"
