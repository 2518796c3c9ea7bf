#include "common/LmtMessageBoxWatcher.h"
#include "services/LmtDownloadSettings.h"
#include "views/LmtInstallPathCheck.h"
#include "views/LmtLicenseOrRelNotesDialog.h"
#include "views/LmtToolConfigCell.h"
#include "views/LmtToolConfigDialog.h"
#include "views/LmtToolConfigModel.h"
#include "views/LmtToolConfigView.h"
#include "views/LmtToolLinksCell.h"
#include "views/LmtViewTypes.h"
#include "views/SelectTestCatalogue.h"

using namespace selecttest; // and so the product's own namespace

QString scopeName(LmtToolInstallScope scope)
{
    return scope == LmtToolInstallScope::AllUsers ? "all" : "user";
}

// A row as one line: name and version, release-notes and licence addresses, then the
// configuration (recommended and chosen scope, default folders, folder, whether there is
// something to choose, the note with {guide} for the guide's address) or "-", and which
// columns are editable.
QString snapshot(const LmtToolConfigModel &model, int row)
{
    const auto links = model.index(row, 0).data(Qt::UserRole).value<LmtToolLinksData>();
    const auto config = model.index(row, 2).data(Qt::UserRole).value<LmtToolConfigData>();
    QStringList line { links.name, model.index(row, 1).data().toString(), links.version,
        links.releaseNotesUrl, links.licenseUrl, "-", "" };
    if (config != LmtToolConfigData()) {
        QStringList dirs;
        for (LmtToolInstallScope scope : config.defaultDirectories.keys())
            dirs << scopeName(scope) + "=" + config.defaultDirectories.value(scope);
        line[5] = QStringList(
            { scopeName(config.recommendedScope), scopeName(config.installScope), dirs.join(','),
                config.installDirectory, config.isCustomizable() ? "choice" : "fixed",
                QString(config.note).replace(toolsInstallationGuideUrl(), "{guide}") })
                      .join(' ');
    }
    for (int column = 0; column < model.columnCount(); ++column)
        line[6] += model.flags(model.index(row, column)) & Qt::ItemIsEditable ? "w" : "-";
    return line.join(" | ");
}

// Stops the test with the name of a widget that is missing, rather than crashing on it (the
// failure is reported first: the application's log, not the console, takes the fatal message).
template<typename T>
T *child(QWidget *parent, const char *name)
{
    if (T *found = parent->findChild<T *>(QString::fromLatin1(name)))
        return found;
    QTest::qFail(qPrintable(QStringLiteral("no widget ") + name), __FILE__, __LINE__);
    qFatal("no widget %s", name);
}

bool shown(QWidget &parent, const char *name)
{
    return child<QWidget>(&parent, name)->isVisibleTo(&parent);
}

void clickButton(QDialog &dialog, QDialogButtonBox::StandardButton which)
{
    child<QDialogButtonBox>(&dialog, "m_btnsOkCancelReset")->button(which)->click();
}

// The browser answers with a scripted folder and records where it was opened.
class ScriptedDialog : public LmtToolConfigDialog
{
public:
    using LmtToolConfigDialog::LmtToolConfigDialog;
    QString answer;
    QStringList starts;

    QString askForDirectory(const QString &start) override
    {
        starts << start;
        return answer;
    }
};

// The configuration page: its model, the path rules, the dialog, the cells and the view.
class tst_LmtToolConfig : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;
    // One of each: a tools package (new install, both scopes), a patch, a tool without silent
    // installer, a tool without registry ids, an update and an uninstall.
    std::unique_ptr<Catalogue> m_catalogue;
    // The tools package's, as the first case of the dialog: all users recommended and chosen, a
    // default folder per scope.
    const LmtToolConfigData m_toolsData
        = configDataOf(jsonFixture("views/config-dialog.json").first().toObject());

private Q_SLOTS:
    void initTestCase() { registerViewMetaTypes(); }
    void init() { m_catalogue = std::make_unique<Catalogue>("views/config.json"); }

    // Per kind of table, with the registry address given, and after "install L" (an
    // installed copy of L's tool that is not kept, making L an update): every row.
    void rowsPerKind_data() { lmttest::rowsFrom("views/config-rows.json", "given"); }

    void rowsPerKind()
    {
        QFETCH(QJsonObject, given);
        static const QStringList kinds { "NewInstalls", "Updates", "Uninstalls" };
        LmtToolConfigModel model(kinds.indexOf(given["kind"].toString()));
        setKorOnlineUrl(given["registry"].toString());
        for (const QJsonValue &label : given["install"].toArray())
            lmttest::addLocal(m_catalogue->version(label.toString())->tool(), "3.1.0")
                ->setSelected(false);
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        model.updateToolsData(m_catalogue->model);
        QStringList rows;
        for (int row = 0; row < model.rowCount(); ++row)
            rows << snapshot(model, row);
        setKorOnlineUrl(QString());
        QCOMPARE(rows, QVariant(given["rows"].toArray().toVariantList()).toStringList());
        QCOMPARE(resets.count() + model.columnCount(), 1 + 3);
        QVERIFY(!model.index(0, 1).data(Qt::UserRole).isValid()
            && !model.index(0, 0).data().isValid() && !model.index(9, 1).data().isValid()
            && toolsInstallationGuideUrl().startsWith(vendorSiteBaseUrl()));
        // A null catalogue empties the table.
        model.updateToolsData(nullptr);
        QCOMPARE(model.rowCount(), 0);
    }

    void setDataReachesTheVersion()
    {
        LmtToolConfigModel installs(LmtToolConfigModel::NewInstalls);
        installs.updateToolsData(m_catalogue->model);
        QSignalSpy changed(&installs, &QAbstractItemModel::dataChanged);
        auto chosen = installs.index(1, 2).data(Qt::UserRole).value<LmtToolConfigData>();
        chosen.installScope = LmtToolInstallScope::CurrentUser;
        chosen.installDirectory = "{username}-nowhere/Tools";
        chosen.note = "ignored";
        const auto set = [&installs](int row, int column, const QVariant &value, int role) {
            return installs.setData(installs.index(row, column), value, role);
        };
        const QVariant value = QVariant::fromValue(chosen);
        // Wrong role, wrong column, row outside, or a value of another type: refused.
        QVERIFY(!set(1, 2, value, Qt::UserRole) && !set(1, 1, value, Qt::EditRole));
        QVERIFY(!set(7, 2, value, Qt::EditRole) && !set(1, 2, "/tmp", Qt::EditRole));
        QVERIFY(set(1, 2, value, Qt::EditRole) && changed.count() == 1
            && changed.at(0).at(0).toModelIndex() == installs.index(1, 2));
        // The version's setter expands the placeholders; only scope and directory are taken.
        QCOMPARE(m_catalogue->version("tools")->installScope(), LmtToolInstallScope::CurrentUser);
        QCOMPARE(m_catalogue->version("tools")->installDirectory(),
            LmtToolVersion::expandPlaceholders("{username}-nowhere/Tools"));
        QCOMPARE(snapshot(installs, 1).section(" | ", 5, 5).section(' ', 0, 5),
            "all user user=/home/u/ZR/Tools,all=/opt/ZR/Tools {username}-nowhere/Tools choice "
            "Note:");
    }

    // A path checked ("path", "rules" posix, drive or this platform's; the "message" of a
    // refusal), or where the browser starts for a typed path ("start") and the path made of a
    // picked folder ("picked"), either from a "default" folder.
    void pathRules_data() { lmttest::rowsFrom("views/install-paths.json", "given"); }

    void pathRules()
    {
        QFETCH(QJsonObject, given);
        const auto read = [this, &given](const char *key) {
            return given[key].toString().replace("{sandbox}", m_sandbox.path());
        };
        QDir().mkpath(m_sandbox.filePath("Apps/Tools"));
        QString message = given["message"].toString();
#ifdef Q_OS_WIN
        if (given["onWindows"] == "skip")
            QSKIP("the rules of this platform differ");
        message = given["onWindows"].toString(message);
#endif
        const QString path = given["path"].toString(), rules = given["rules"].toString();
        const LmtInstallPathVerdict check = rules.isEmpty()
            ? checkInstallPath(path)
            : checkInstallPath(path,
                rules == "posix" ? LmtInstallPathRules::Posix : LmtInstallPathRules::DriveLetter);
        if (given.contains("result"))
            QCOMPARE(given.contains("picked")
                    ? installPathFromBrowse(read("picked"), read("default"))
                    : installBrowseStart(read("start"), read("default")),
                read("result"));
        else
            QCOMPARE(check.message + (check.ok ? "" : " (refused)"),
                message + (message.isEmpty() ? "" : " (refused)"));
    }

    // A configuration, then the user's steps and checks of what the dialog shows and stores.
    // "looks" names the title, the scope choices, the one chosen and the warning's style;
    // "browse folder" answers the folder browser (cancels without folder), "started" is
    // where the browser opened last. Cases with "custom" and "customizable" state what the
    // configuration is: customizable with more than one scope, or a directory to choose;
    // custom with not the recommended scope or not its default directory (case matters).
    void dialogFollowsTheChoices_data()
    {
        lmttest::rowsFrom("views/config-dialog.json", "given");
    }

    void dialogFollowsTheChoices()
    {
        QFETCH(QJsonObject, given);
        LmtToolConfigData data = configDataOf(given);
        data.note = given["note"].toString();
        const LmtToolConfigData before = data;
        if (given.contains("custom"))
            QCOMPARE(QList<bool>({ data.isCustomizable(), data.isCustom() }),
                QList<bool>({ given["customizable"].toBool(), given["custom"].toBool() }));
        ScriptedDialog dialog(&data);
        auto *edit = child<QLineEdit>(&dialog, "m_editInstallDir");
        auto *combo = child<QComboBox>(&dialog, "m_cmbInstallScope");
        auto *warning = child<QLabel>(&dialog, "m_lblWarning");
        for (const QJsonValue &value : given["steps"].toArray()) {
            const QString step = value.toString(), verb = step.section(' ', 0, 0),
                          rest = step.section(' ', 1);
            if (verb == "scope") {
                combo->setCurrentIndex(rest.toInt());
            } else if (verb == "type") {
                edit->setText(rest);
            } else if (verb == "click") {
                clickButton(dialog,
                    rest == "Ok"          ? QDialogButtonBox::Ok
                        : rest == "Reset" ? QDialogButtonBox::Reset
                                          : QDialogButtonBox::Cancel);
            } else if (verb == "browse") {
                dialog.answer = rest;
                child<QToolButton>(&dialog, "m_btnInstallDir")->click();
            } else if (verb == "shown" || verb == "hidden") {
                for (const QString &name : rest.split(' '))
                    QVERIFY2(
                        shown(dialog, qPrintable(name)) == (verb == "shown"), qPrintable(step));
            } else if (verb == "show") {
                dialog.show();
            } else if (verb == "refused") {
                lmttest::MessageBoxWatcher boxes;
                clickButton(dialog, QDialogButtonBox::Ok);
                QCOMPARE(boxes.texts(), QStringList { rest });
                QCOMPARE(boxes.icons(), QList<QMessageBox::Icon> { QMessageBox::Critical });
            } else if (verb == "unchanged") {
                QCOMPARE(data, before);
            } else if (verb == "looks") {
                QCOMPARE(QStringList({ dialog.windowTitle(), combo->itemText(0), combo->itemText(1),
                                         combo->currentText(), warning->styleSheet() })
                             .join(" | "),
                    rest);
            } else {
                const QHash<QString, QString> facts { { "path", edit->text() },
                    { "warning", warning->text() }, { "open", dialog.isVisible() ? "yes" : "no" },
                    { "result", dialog.result() == QDialog::Accepted ? "accepted" : "rejected" },
                    { "started", dialog.starts.value(dialog.starts.size() - 1) },
                    { "stored", scopeName(data.installScope) + " " + data.installDirectory } };
                QVERIFY2(facts.contains(verb), qPrintable("unknown step " + step));
                QCOMPARE(facts.value(verb), rest);
            }
        }
    }

    // A cell whose dialog resets to the recommendation, and cells removed while their dialog runs.
    void cellsAndTheirDialogs()
    {
        LmtToolConfigData data = m_toolsData;
        data.installScope = LmtToolInstallScope::CurrentUser;
        data.installDirectory = "/home/u/Elsewhere";
        LmtToolConfigCell cell(data);
        auto *status = child<QLabel>(&cell, "m_lblStatus");
        auto *customize = child<QPushButton>(&cell, "m_btnCustomize");
        QVERIFY(customize->isVisibleTo(&cell));
        QSignalSpy changed(&cell, &LmtToolConfigCell::dataChanged);
        QStringList seen { customize->text(), status->text() };
        // Cancel: nothing reaches the outside.
        onNextModal<LmtToolConfigDialog>(
            [](LmtToolConfigDialog *dialog) { clickButton(*dialog, QDialogButtonBox::Cancel); });
        customize->click();
        seen << QString::number(changed.count()) << status->text();
        onNextModal<LmtToolConfigDialog>([&](LmtToolConfigDialog *dialog) {
            clickButton(*dialog, QDialogButtonBox::Reset);
            seen << child<QComboBox>(dialog, "m_cmbInstallScope")->currentText()
                 << child<QLineEdit>(dialog, "m_editInstallDir")->text();
            clickButton(*dialog, QDialogButtonBox::Ok);
        });
        customize->click();
        seen << QString::number(changed.count()) << status->text();
        QCOMPARE(seen,
            QStringList({ "Customize installation", "Custom options", "0", "Custom options",
                "Install for all users (recommended)", "/opt/ZR/Tools", "1", "Default options" }));
        QVERIFY(changed.at(0).at(0).value<LmtToolConfigData>() == m_toolsData
            && cell.configData() == m_toolsData);

        // A catalogue refresh rebuilds the cells while a dialog may be open.
        auto *dying = new LmtToolConfigCell(m_toolsData);
        auto *links = new LmtToolLinksCell(LmtToolLinksData { "A", "1.0.0", "https://a/rn/", {} });
        const QList<QPointer<QWidget>> guards { dying, links };
        QSignalSpy dyingChanged(dying, &LmtToolConfigCell::dataChanged);
        QCOMPARE(links->findChildren<QPushButton *>().size(), 1);
        onNextModal<LmtToolConfigDialog>([dying](LmtToolConfigDialog *) { delete dying; });
        child<QPushButton>(dying, "m_btnCustomize")->click();
        onNextModal<LmtLicenseOrRelNotesDialog>(
            [links](LmtLicenseOrRelNotesDialog *) { delete links; });
        child<QPushButton>(links, "lblReleaseNotes")->click();
        QVERIFY(!guards.at(0) && !guards.at(1) && dyingChanged.isEmpty());
    }

    void viewBuildsCellsAndHidesEmptyTables()
    {
        Catalogue catalogue("views/config-view.json");
        setKorOnlineUrl("https://mirror.example/");
        LmtToolConfigView view;
        view.updateToolsData(catalogue.model);
        // Per table (installs, updates, uninstalls): whether it and its heading show.
        const auto shownTables = [&view] {
            QString shownNow;
            for (const char *label : { "m_lblToInstall", "m_lblToUpdate", "m_lblToUninstall" })
                shownNow += QString::number(view.table(shownNow.size() / 2)->isVisibleTo(&view))
                    + QString::number(shown(view, label));
            return shownNow;
        };
        QCOMPARE(shownTables(), "110011");
        const auto cellAt = [&view](int kind, int column) {
            return view.table(kind)->indexWidget(view.table(kind)->model()->index(0, column));
        };
        auto *config = qobject_cast<LmtToolConfigCell *>(cellAt(0, 2));
        // The uninstall row's configuration cell shows nothing, its links cell only the name.
        QVERIFY(child<QLabel>(cellAt(2, 2), "m_lblStatus")->text().isEmpty()
            && !shown(*cellAt(2, 2), "m_btnCustomize")
            && cellAt(2, 0)->findChildren<QPushButton *>().isEmpty());

        // An accepted choice of the cell reaches the offered version.
        LmtToolConfigData chosen = config->configData();
        chosen.installDirectory = "/srv/Tools";
        Q_EMIT config->dataChanged(chosen);
        QCOMPARE(catalogue.version("tools")->installDirectory(), QStringLiteral("/srv/Tools"));

        // Requests go out through the view; a dialog shows only the answer for its own address.
        const QString licenceUrl = "https://mirror.example/12/versions/34/license/";
        QSignalSpy requests(&view, &LmtToolConfigView::getReleaseNotesOrLicenseData);
        QWidget *links = cellAt(0, 0);
        QStringList seen { child<QLabel>(&view, "m_lblToUninstall")->text(),
            child<QLabel>(links, "lblName")->text() };
        for (QPushButton *button : links->findChildren<QPushButton *>())
            seen << button->objectName() + ": " + button->text();
        onNextModal<LmtLicenseOrRelNotesDialog>([&](LmtLicenseOrRelNotesDialog *dialog) {
            seen << dialog->windowTitle() << dialog->documentText();
            view.onReleaseNotesOrLicenseDataReady("other cell's notes", "https://b/rn/");
            view.onReleaseNotesOrLicenseDataReady("the licence", licenceUrl);
            seen << dialog->documentText();
            view.onReleaseNotesOrLicenseDataReady("<b>notes</b>", dialog->url());
            seen << dialog->documentText();
            dialog->accept();
        });
        child<QPushButton>(links, "lblReleaseNotes")->click();
        // A late answer finds no dialog and is dropped.
        view.onReleaseNotesOrLicenseDataReady("late", requests.at(0).at(0).toString());
        seen << (qobject_cast<LmtToolLinksCell *>(links)->openDialog() ? "still open" : "closed");
        onNextModal<LmtLicenseOrRelNotesDialog>([&](LmtLicenseOrRelNotesDialog *dialog) {
            seen << dialog->windowTitle() << dialog->documentText() << dialog->url();
            view.onReleaseNotesOrLicenseDataReady("licence text", dialog->url());
            seen << dialog->documentText();
            dialog->reject();
        });
        child<QPushButton>(links, "lblLicense")->click();
        for (const QList<QVariant> &request : requests)
            seen << "asked " + request.at(0).toString();
        QCOMPARE(seen, QString(lmttest::fixture("views/config-links.txt")).trimmed().split('\n'));

        // Nothing left to do: every table and label hides.
        catalogue.version("tools")->setSelected(false);
        catalogue.version("gone")->setSelected(true);
        view.updateToolsData(catalogue.model);
        QCOMPARE(shownTables(), "000000");
        setKorOnlineUrl(QString());
    }
};

QTEST_MAIN(tst_LmtToolConfig)
#include "tst_LmtToolConfig.moc"
