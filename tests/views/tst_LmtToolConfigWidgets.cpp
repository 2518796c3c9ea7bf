#include "common/LmtMessageBoxWatcher.h"
#include "common/LmtTableRows.h"
#include "common/LmtTestSupport.h"
#include "model/LmtCoreToolModel.h"
#include "services/LmtDownloadSettings.h"
#include "views/LmtLicenseOrRelNotesDialog.h"
#include "views/LmtToolConfigCell.h"
#include "views/LmtToolConfigDialog.h"
#include "views/LmtToolConfigModel.h"
#include "views/LmtToolConfigView.h"
#include "views/LmtToolLinksCell.h"
#include "views/LmtViewTypes.h"
#include "views/SelectTestCatalogue.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>

using namespace zendrel::lmt::setup;

namespace {

constexpr auto CU = LmtToolInstallScope::CurrentUser;
constexpr auto AU = LmtToolInstallScope::AllUsers;

LmtToolConfigData toolsData()
{
    LmtToolConfigData data;
    data.recommendedScope = AU;
    data.installScope = AU;
    data.defaultDirectories = { { CU, "/home/u/ZR/Tools" }, { AU, "/opt/ZR/Tools" } };
    data.installDirectory = "/opt/ZR/Tools";
    return data;
}

template<typename T>
T *child(QWidget *parent, const char *name)
{
    T *found = parent->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

bool shown(QWidget &parent, const char *name)
{
    return child<QWidget>(&parent, name)->isVisibleTo(&parent);
}

void clickButton(QDialog &dialog, QDialogButtonBox::StandardButton which)
{
    child<QDialogButtonBox>(&dialog, "m_btnsOkCancelReset")->button(which)->click();
}

// Runs action on the next modal widget of type T that appears (polling, because the modal
// loop that shows it only starts after the caller has handed over control).
template<typename T>
void onNextModal(std::function<void(T *)> action)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (auto *modal = qobject_cast<T *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(modal);
        }
    });
    timer->start();
}

// The browser answers with a scripted folder and records where it was opened.
class ScriptedDialog : public LmtToolConfigDialog
{
public:
    using LmtToolConfigDialog::LmtToolConfigDialog;
    QString answer;
    QStringList starts;

protected:
    QString askForDirectory(const QString &start) override
    {
        starts << start;
        return answer;
    }
};

} // namespace

class tst_LmtToolConfigWidgets : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;

private Q_SLOTS:
    void initTestCase() { registerViewMetaTypes(); }

    void dialogLooksAsItShould()
    {
        LmtToolConfigData data = toolsData();
        LmtToolConfigDialog dialog(&data);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Customize Installation"));
        auto *combo = child<QComboBox>(&dialog, "m_cmbInstallScope");
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->itemText(0), QStringLiteral("Install only for current user"));
        QCOMPARE(combo->itemText(1), QStringLiteral("Install for all users (recommended)"));
        QCOMPARE(combo->itemData(0).toInt(), 0);
        QCOMPARE(combo->currentIndex(), 1);
        QVERIFY(!child<QToolButton>(&dialog, "m_btnInstallDir")->icon().isNull());
        auto *warning = child<QLabel>(&dialog, "m_lblWarning");
        QCOMPARE(warning->styleSheet(), QStringLiteral("QLabel { color : red; }"));
        QVERIFY(warning->openExternalLinks());
    }

    // A configuration, then the user's steps and checks of what the dialog shows and stores.
    void dialogFollowsTheChoices_data() { lmttest::rowsFrom("views/config-dialog.json", "given"); }

    void dialogFollowsTheChoices()
    {
        QFETCH(QJsonObject, given);
        LmtToolConfigData data = selecttest::configDataOf(given);
        data.note = given["note"].toString();
        const LmtToolConfigData before = data;
        LmtToolConfigDialog dialog(&data);
        auto *edit = child<QLineEdit>(&dialog, "m_editInstallDir");
        for (const QJsonValue &value : given["steps"].toArray()) {
            const QString step = value.toString();
            const QString verb = step.section(' ', 0, 0);
            const QString rest = step.section(' ', 1);
            if (verb == "scope") {
                child<QComboBox>(&dialog, "m_cmbInstallScope")->setCurrentIndex(rest.toInt());
            } else if (verb == "type") {
                edit->setText(rest);
            } else if (verb == "click") {
                clickButton(dialog,
                    rest == "Ok"          ? QDialogButtonBox::Ok
                        : rest == "Reset" ? QDialogButtonBox::Reset
                                          : QDialogButtonBox::Cancel);
            } else if (verb == "shown" || verb == "hidden") {
                for (const QString &name : rest.split(' '))
                    QVERIFY2(
                        shown(dialog, qPrintable(name)) == (verb == "shown"), qPrintable(step));
            } else if (verb == "show") {
                dialog.show();
            } else if (verb == "open") {
                QCOMPARE(dialog.isVisible() ? "yes" : "no", rest);
            } else if (verb == "refused") {
                lmttest::MessageBoxWatcher boxes;
                clickButton(dialog, QDialogButtonBox::Ok);
                QCOMPARE(boxes.texts(), QStringList { rest });
                QCOMPARE(boxes.icons(), QList<QMessageBox::Icon> { QMessageBox::Critical });
            } else if (verb == "path") {
                QCOMPARE(edit->text(), rest);
            } else if (verb == "warning") {
                QCOMPARE(child<QLabel>(&dialog, "m_lblWarning")->text(), rest);
            } else if (verb == "result") {
                QCOMPARE(
                    QString(dialog.result() == QDialog::Accepted ? "accepted" : "rejected"), rest);
            } else if (verb == "stored") {
                QCOMPARE(
                    QString(data.installScope == AU ? "all " : "user ") + data.installDirectory,
                    rest);
            } else if (verb == "unchanged") {
                QCOMPARE(data, before);
            } else {
                QFAIL(qPrintable("unknown step " + step));
            }
        }
    }

    void browseAppendsTheDefaultFolder()
    {
        LmtToolConfigData data = toolsData();
        ScriptedDialog dialog(&data);
        auto *edit = child<QLineEdit>(&dialog, "m_editInstallDir");
        auto *browse = child<QToolButton>(&dialog, "m_btnInstallDir");

        dialog.answer = "/srv/Apps";
        browse->click();
        // The default does not exist here: the browser opens at its parent.
        QCOMPARE(dialog.starts.last(), QStringLiteral("/opt/ZR"));
        QCOMPARE(edit->text(), QStringLiteral("/srv/Apps/Tools"));

        dialog.answer = "/srv/Other/Tools";
        browse->click();
        QCOMPARE(dialog.starts.last(), QStringLiteral("/srv/Apps"));
        QCOMPARE(edit->text(), QStringLiteral("/srv/Other/Tools"));

        // Cancelling the browser changes nothing.
        dialog.answer.clear();
        browse->click();
        QCOMPARE(edit->text(), QStringLiteral("/srv/Other/Tools"));
    }

    void resetBringsBackTheRecommendation()
    {
        LmtToolConfigData data = toolsData();
        data.installScope = CU;
        data.installDirectory = "/home/u/Elsewhere";
        LmtToolConfigCell cell(data);
        auto *status = child<QLabel>(&cell, "m_lblStatus");
        auto *customize = child<QPushButton>(&cell, "m_btnCustomize");
        QCOMPARE(customize->text(), QStringLiteral("Customize installation"));
        QVERIFY(customize->isVisibleTo(&cell));
        QCOMPARE(status->text(), QStringLiteral("Custom options"));
        QSignalSpy changed(&cell, &LmtToolConfigCell::dataChanged);

        // Cancel: nothing reaches the outside.
        onNextModal<LmtToolConfigDialog>(
            [](LmtToolConfigDialog *dialog) { clickButton(*dialog, QDialogButtonBox::Cancel); });
        customize->click();
        QCOMPARE(changed.count(), 0);
        QCOMPARE(status->text(), QStringLiteral("Custom options"));

        QString comboAfterReset;
        QString pathAfterReset;
        onNextModal<LmtToolConfigDialog>([&](LmtToolConfigDialog *dialog) {
            clickButton(*dialog, QDialogButtonBox::Reset);
            comboAfterReset = child<QComboBox>(dialog, "m_cmbInstallScope")->currentText();
            pathAfterReset = child<QLineEdit>(dialog, "m_editInstallDir")->text();
            clickButton(*dialog, QDialogButtonBox::Ok);
        });
        customize->click();
        QCOMPARE(comboAfterReset, QStringLiteral("Install for all users (recommended)"));
        QCOMPARE(pathAfterReset, QStringLiteral("/opt/ZR/Tools"));
        QCOMPARE(changed.count(), 1);
        const auto sent = changed.at(0).at(0).value<LmtToolConfigData>();
        QCOMPARE(sent.installScope, AU);
        QCOMPARE(sent.installDirectory, QStringLiteral("/opt/ZR/Tools"));
        QCOMPARE(status->text(), QStringLiteral("Default options"));
        QCOMPARE(cell.configData(), sent);
    }

    void cellRemovedWhileItsDialogRuns()
    {
        // A catalogue refresh rebuilds the cells while a dialog may be open.
        auto *cell = new LmtToolConfigCell(toolsData());
        QPointer<LmtToolConfigCell> guard(cell);
        QSignalSpy changed(cell, &LmtToolConfigCell::dataChanged);
        onNextModal<LmtToolConfigDialog>([cell](LmtToolConfigDialog *) { delete cell; });
        child<QPushButton>(cell, "m_btnCustomize")->click();
        QVERIFY(!guard);
        QCOMPARE(changed.count(), 0);

        auto *links = new LmtToolLinksCell(LmtToolLinksData { "A", "1.0.0", "https://a/rn/", {} });
        QPointer<LmtToolLinksCell> linksGuard(links);
        onNextModal<LmtLicenseOrRelNotesDialog>(
            [links](LmtLicenseOrRelNotesDialog *) { delete links; });
        child<QPushButton>(links, "lblReleaseNotes")->click();
        QVERIFY(!linksGuard);
    }

    void linksCellShowsOnlyItsOwnAnswer()
    {
        LmtToolLinksCell cell(
            LmtToolLinksData { "Lumetra Tools", "3.1.0", "https://a/rn/", "https://a/lic/" });
        auto *notes = child<QPushButton>(&cell, "lblReleaseNotes");
        auto *licence = child<QPushButton>(&cell, "lblLicense");
        QCOMPARE(child<QLabel>(&cell, "lblName")->text(), QStringLiteral("Lumetra Tools"));
        QCOMPARE(notes->text(), QStringLiteral("Release notes"));
        QCOMPARE(licence->text(), QStringLiteral("License"));
        QSignalSpy requests(&cell, &LmtToolLinksCell::getReleaseNotesOrLicenseData);

        QStringList seen;
        onNextModal<LmtLicenseOrRelNotesDialog>([&](LmtLicenseOrRelNotesDialog *dialog) {
            seen << dialog->windowTitle() << dialog->documentText();
            cell.onReleaseNotesOrLicenseDataReady("other cell's notes", "https://b/rn/");
            cell.onReleaseNotesOrLicenseDataReady("the licence", "https://a/lic/");
            seen << dialog->documentText();
            cell.onReleaseNotesOrLicenseDataReady("<b>notes</b>", "https://a/rn/");
            seen << dialog->documentText();
            dialog->accept();
        });
        notes->click();
        QCOMPARE(requests.count(), 1);
        QCOMPARE(requests.at(0).at(0).toString(), QStringLiteral("https://a/rn/"));
        QCOMPARE(seen,
            QStringList({ "Release Notes - Lumetra Tools 3.1.0", "Loading Release Notes data ...",
                "Loading Release Notes data ...", "<b>notes</b>" }));
        QVERIFY(!cell.openDialog());
        // A late answer finds no dialog and is dropped.
        cell.onReleaseNotesOrLicenseDataReady("late", "https://a/rn/");
        QVERIFY(!cell.openDialog());

        seen.clear();
        onNextModal<LmtLicenseOrRelNotesDialog>([&](LmtLicenseOrRelNotesDialog *dialog) {
            seen << dialog->windowTitle() << dialog->documentText() << dialog->url();
            dialog->reject();
        });
        licence->click();
        QCOMPARE(seen,
            QStringList(
                { "License - Lumetra Tools 3.1.0", "Loading License data ...", "https://a/lic/" }));
        QCOMPARE(requests.count(), 2);

        LmtToolLinksCell notesOnly(LmtToolLinksData { "Beta", "1.0.0", "https://b/rn/", {} });
        QVERIFY(notesOnly.findChild<QPushButton *>("lblReleaseNotes"));
        QVERIFY(!notesOnly.findChild<QPushButton *>("lblLicense"));
        LmtToolLinksCell nameOnly(LmtToolLinksData { "Gamma", "1.0.0", {}, {} });
        QVERIFY(nameOnly.findChildren<QPushButton *>().isEmpty());
    }

    void viewBuildsCellsAndHidesEmptyTables()
    {
        selecttest::Catalogue catalogue("views/config-view.json");
        const auto offered = catalogue.version("tools");
        setKorOnlineUrl("https://mirror.example/");

        LmtToolConfigView view;
        view.updateToolsData(catalogue.model);
        QVERIFY(view.table(0)->isVisibleTo(&view));
        QVERIFY(shown(view, "m_lblToInstall"));
        QVERIFY(!view.table(1)->isVisibleTo(&view));
        QVERIFY(!shown(view, "m_lblToUpdate"));
        QVERIFY(view.table(2)->isVisibleTo(&view));
        QCOMPARE(child<QLabel>(&view, "m_lblToUninstall")->text(),
            QStringLiteral("The following packages will be uninstalled:"));

        QTableView *installs = view.table(0);
        auto *links = qobject_cast<LmtToolLinksCell *>(
            installs->indexWidget(installs->model()->index(0, 0)));
        auto *config = qobject_cast<LmtToolConfigCell *>(
            installs->indexWidget(installs->model()->index(0, 2)));
        QVERIFY(links && config);
        QCOMPARE(child<QLabel>(config, "m_lblStatus")->text(), QStringLiteral("Default options"));
        // The uninstall row's configuration cell shows nothing.
        auto *dropped = qobject_cast<LmtToolConfigCell *>(
            view.table(2)->indexWidget(view.table(2)->model()->index(0, 2)));
        QVERIFY(dropped);
        QVERIFY(child<QLabel>(dropped, "m_lblStatus")->text().isEmpty());
        QVERIFY(!child<QPushButton>(dropped, "m_btnCustomize")->isVisibleTo(dropped));

        // An accepted choice of the cell reaches the offered version.
        LmtToolConfigData chosen = config->configData();
        chosen.installDirectory = "/srv/Tools";
        Q_EMIT config->dataChanged(chosen);
        QCOMPARE(offered->installDirectory(), QStringLiteral("/srv/Tools"));

        // Requests go out through the view; answers come back to the asking cell only.
        QSignalSpy requests(&view, &LmtToolConfigView::getReleaseNotesOrLicenseData);
        QString document;
        onNextModal<LmtLicenseOrRelNotesDialog>([&](LmtLicenseOrRelNotesDialog *dialog) {
            view.onReleaseNotesOrLicenseDataReady("licence text", dialog->url());
            document = dialog->documentText();
            dialog->accept();
        });
        child<QPushButton>(links, "lblLicense")->click();
        QCOMPARE(requests.count(), 1);
        QCOMPARE(requests.at(0).at(0).toString(),
            QStringLiteral("https://mirror.example/12/versions/34/license/"));
        QCOMPARE(document, QStringLiteral("licence text"));

        // Nothing left to do: every table and label hides.
        offered->setSelected(false);
        catalogue.version("gone")->setSelected(true);
        view.updateToolsData(catalogue.model);
        for (int kind = 0; kind < 3; ++kind)
            QVERIFY(!view.table(kind)->isVisibleTo(&view));
        setKorOnlineUrl(QString());
    }
};

QTEST_MAIN(tst_LmtToolConfigWidgets)
#include "tst_LmtToolConfigWidgets.moc"
