#pragma once

// Catalogues for the views tests, read from files below tests/data/views: tools with offered
// and installed versions, as the registry parsers would leave them. A tool is
//   { "id", "type" (Other, ToolsPackage, Patch, ContentPack, External, ThirdParty), "name",
//     "short", "known": [[id, name]], "patchUpdatable", "key", "registryId", "versions": [...] }
// and a version either { "offered", "numeric", "registryId", "os" (absent: this platform, "":
// none), "depends": [[featureId, min, max]] (min and max optional), "page" (3rd party),
// "silent", "recommended": "all", "dirs": { "user"|"all": dir } } or { "installed", "numeric",
// "path", "uninstall", "plugins": [[id, name, installed]] }; both take "scope": "all",
// "dir", "selected", and "as", a name by which a test reaches the version with version().

#include "common/LmtModelFixtures.h"
#include "common/LmtTableRows.h"
#include "model/Lmt3rdPartyLocalToolVersion.h"
#include "model/Lmt3rdPartyOnlineToolVersion.h"
#include "model/Lmt3rdPartyTool.h"
#include "model/LmtCoreToolModel.h"
#include "model/LmtPlugin.h"
#include "platform/LmtPlatform.h"
#include "services/LmtVendorSite.h"
#include "views/LmtToolConfigData.h"
#include "views/LmtToolInfoDelegate.h"
#include "views/LmtToolSelectModel.h"
#include "views/LmtToolSelectView.h"
#include "views/ThirdPartyEditorWidget.h"

#include <QtWidgets>

namespace selecttest {

using namespace zendrel::lmt::setup;

// The array a fixture holds; each "{key}" string in it is replaced by fill's text for key.
inline QJsonArray jsonFixture(const QString &fixture, const QHash<QString, QString> &fill = {})
{
    QByteArray text = lmttest::fixture(fixture);
    for (auto it = fill.begin(); it != fill.end(); ++it) // as a JSON string, quotes escaped
        text.replace("\"{" + it.key().toUtf8() + "}\"",
            QJsonDocument(QJsonArray { it.value() })
                .toJson(QJsonDocument::Compact)
                .chopped(1)
                .mid(1));
    const QJsonArray array = QJsonDocument::fromJson(text).array();
    if (array.isEmpty())
        qFatal("%s holds no JSON array", qPrintable(fixture));
    return array;
}

// "all" for all users, anything else for the current user (the scope's zero value).
inline LmtToolInstallScope scopeOf(const QJsonValue &name)
{
    return name.toString() == "all" ? LmtToolInstallScope::AllUsers : LmtToolInstallScope();
}

// A tool's install configuration as a case file writes it: recommended and chosen scope, a
// default folder per scope ("dirs") and the chosen folder ("dir").
inline LmtToolConfigData configDataOf(const QJsonObject &given)
{
    LmtToolConfigData data;
    data.recommendedScope = scopeOf(given["recommended"]);
    data.installScope = scopeOf(given["scope"]);
    for (const QString &scope : given["dirs"].toObject().keys())
        data.defaultDirectories.insert(scopeOf(scope), given["dirs"][scope].toString());
    data.installDirectory = given["dir"].toString();
    return data;
}

class Catalogue
{
public:
    std::shared_ptr<LmtCoreToolModel> model = std::make_shared<LmtCoreToolModel>();
    // The versions by the names ("as") the file gives them.
    QHash<QString, std::shared_ptr<LmtToolVersion>> named;

    explicit Catalogue(const QString &fixture, const QHash<QString, QString> &fill = {})
    {
        for (const QJsonValue &entry : jsonFixture(fixture, fill))
            addTool(entry.toObject());
    }

    std::shared_ptr<LmtToolVersion> version(const QString &label) const
    {
        if (auto found = named.value(label))
            return found;
        // Reported first: the application's log, not the console, takes the fatal message.
        QTest::qFail(qPrintable("no version named " + label), __FILE__, __LINE__);
        qFatal("no version named %s", qPrintable(label));
    }

    QString labelOf(
        const std::shared_ptr<LmtToolVersion> &version, const QString &none = "none") const
    {
        return version ? named.key(version, "<unnamed>") : none;
    }

private:
    void addTool(const QJsonObject &t)
    {
        static const QStringList types { "Other", "ToolsPackage", "Patch", "ContentPack",
            "External", "ThirdParty" };
        const auto type = LmtToolType(types.indexOf(t["type"].toString()));
        const std::shared_ptr<LmtTool> tool = type == LmtToolType::ThirdParty
            ? Lmt3rdPartyTool::create(t["id"].toString(), t["name"].toString())
            : LmtTool::create(t["id"].toString(), type, t["name"].toString());
        tool->setShortName(t["short"].toString());
        for (const QJsonValue &plugin : t["known"].toArray())
            std::static_pointer_cast<Lmt3rdPartyTool>(tool)->addKnownPlugin(
                plugin[0].toString(), plugin[1].toString());
        tool->setIsPatchVersionUpdatable(t["patchUpdatable"].toBool(true));
        tool->setSelectedVersionKey(t["key"].toString());
        if (t.contains("registryId"))
            tool->setId(t["registryId"].toInteger());
        model->addTool(tool);
        for (const QJsonValue &entry : t["versions"].toArray())
            addVersion(tool, type, entry.toObject());
    }

    void addVersion(const std::shared_ptr<LmtTool> &tool, LmtToolType type, const QJsonObject &v)
    {
        const auto numeric = quint64(v["numeric"].toDouble());
        std::shared_ptr<LmtToolVersion> created;
        if (v.contains("offered") && type == LmtToolType::ThirdParty) {
            auto offer = Lmt3rdPartyOnlineToolVersion::create(v["offered"].toString());
            offer->setExternalUrl(QUrl(v["page"].toString()));
            tool->addVersion(created = offer);
        } else if (v.contains("offered")) {
            auto offered = LmtOnlineToolVersion::create(
                v["offered"].toString(), numeric, v["registryId"].toInteger());
            tool->addVersion(created = offered);
            // The only package is for this platform, for the one named, or, with "", none.
            const QString os = v["os"].toString(zendrel::lmt::platform::osName());
            if (!os.isEmpty())
                offered->addPackage(std::make_shared<LmtToolPackage>(os,
                    QUrl("https://downloads.example/" + offered->version() + "/download"),
                    "installer", "exe", 1024));
            if (v.contains("recommended"))
                offered->setRecommendedScope(scopeOf(v["recommended"]));
            for (const QString &scope : v["dirs"].toObject().keys())
                offered->setInstallDirectoryFor(scopeOf(scope), v["dirs"][scope].toString());
        } else if (type == LmtToolType::ThirdParty) {
            auto local = Lmt3rdPartyLocalToolVersion::create(v["installed"].toString());
            local->setUninstallPath(v["uninstall"].toString());
            for (const QJsonValue &p : v["plugins"].toArray()) {
                local->addPlugin(std::make_shared<LmtPlugin>(
                    p[0].toString(), p[1].toString(), "editor -i " + p[0].toString()));
                local->plugins().last()->setInstalled(p[2].toBool());
            }
            tool->addVersion(created = local);
        } else {
            created
                = lmttest::addLocal(tool, v["installed"].toString(), scopeOf(v["scope"]), numeric);
        }
        if (auto local = std::dynamic_pointer_cast<LmtLocalToolVersion>(created))
            local->setPath(v["path"].toString());
        if (auto offer = std::dynamic_pointer_cast<LmtOnlineToolVersion>(created);
            offer && v.contains("silent"))
            offer->setSilentInstall(v["silent"].toBool());
        if (v.contains("scope") && created->isOnline())
            created->setInstallScope(scopeOf(v["scope"]));
        if (v.contains("dir"))
            created->setInstallDirectory(v["dir"].toString());
        if (v.contains("selected"))
            created->setSelected(v["selected"].toBool());
        for (const QJsonValue &d : v["depends"].toArray())
            created->addDependency(d[0].toString(), quint64(d[1].toDouble()),
                d[2].isDouble() ? quint64(d[2].toDouble()) : LmtToolDependency::Unbounded);
        if (v.contains("as"))
            named.insert(v["as"].toString(), created);
    }
};

using zendrel::lmt::shared_toolkit::ConsoleMessageType;

inline QString plainText(const QString &richText)
{
    return QTextDocumentFragment::fromHtml(richText).toPlainText();
}

// What a text widget shows of a text in the given format: markup is rendered, not shown.
inline QString shownAs(const QString &text, Qt::TextFormat format)
{
    const bool rich
        = format == Qt::RichText || (format == Qt::AutoText && Qt::mightBeRichText(text));
    return rich ? plainText(text) : text;
}

inline const QStringList actionNames { "NoChange", "Install", "Update", "Downgrade", "Uninstall" };

// Runs action on the next modal widget of type T that appears (polling, because the modal
// loop that shows it only starts after the caller has handed over control).
template<typename T>
void onNextModal(std::function<void(T *)> action)
{
    QTimer::singleShot(10, [action] {
        auto *modal = qobject_cast<T *>(QApplication::activeModalWidget());
        modal ? action(modal) : onNextModal<T>(action);
    });
}

// A select page over a catalogue file, driven by the user's steps: with the view, both of its
// tables and what the view sends; without, one table's model alone and what it sends. A step
// is a text "verb L argument" or { "do": that text, "returns": what a set, rowcheck or pick
// returned, "order": the signals the step sent, "log": the lines it logged, joined by " | " }.
// L names a version and so the row that holds it, in either table ("end": the row after the
// last, "none": no row). The user's steps: "set L column value role" (value checked, unchecked
// or a text; role check or edit), "rowcheck L checked|unchecked|partial" (the row's own
// state), "pick L key" (the row's choice), "choose L key" (in the drop-down), "check|uncheck|
// show L" (shown first; uncheck as after the user confirmed), "uncheckrow L", "answer button"
// (of the next message box), "add L version" (to the row after its keys were worked out),
// "setkey L" (forget the remembered key), "flag L on|off", "dir L path", "missing L=C L2= ..."
// (no candidate after "="), "load fixture", "reload". Checks: "selected|unselected L...",
// "state L checked|unchecked", "action L kind" (shown first), "remembered L key",
// "shows L L2", "lookup L key L2|none", "text L html" ({page}: the link to the tool's vendor
// page), "tip L text", "icon|noicon L", and of the view: "combo L text|<none>", "info L text"
// (starts so), "info= L text", "info~ L text" (contains), "box title: text", "unmet L=C ...",
// "editors" (every open editor shows what the model says) and "fits L" (the information
// column is as wide as its widest text needs, no wider). Every text is read after each step,
// so a text the model keeps must follow the next change.
class SelectRig : public Catalogue
{
public:
    SelectRig(const QString &fixture, bool base, bool withView = false,
        const QHash<QString, QString> &fill = {})
        : Catalogue(fixture, fill)
    {
        if (withView) {
            m_view = std::make_unique<LmtToolSelectView>();
            m_models = { m_view->baseModel(), m_view->additionalModel() };
            m_view->updateToolsData(Catalogue::model);
            record(m_view.get());
            return;
        }
        m_own = std::make_unique<LmtToolSelectModel>(base);
        m_models = { m_own.get() };
        m_own->updateToolsData(Catalogue::model);
        record(m_own.get());
        QObject::connect(m_own.get(), &LmtToolSelectModel::checkForMissingToolsRequest,
            [this] { m_order << "checkForMissingToolsRequest"; });
        QObject::connect(m_own.get(), &LmtToolSelectModel::selectDependentToolsRequest,
            [this](std::shared_ptr<LmtToolVersion> version) {
                m_order << "selectDependentToolsRequest:" + labelOf(version);
            });
        QObject::connect(
            m_own.get(), &LmtToolSelectModel::localToolUnchecked, [this](QModelIndex index) {
                m_order << "localToolUnchecked:"
                        + labelOf(m_own->rows().at(index.row())->currentVersion());
            });
        QObject::connect(m_own.get(), &QAbstractItemModel::dataChanged,
            [this](const QModelIndex &from, const QModelIndex &to, const QList<int> &roles) {
                m_order << "dataChanged";
                m_whole = m_whole && !from.isValid() && !to.isValid() && roles.isEmpty();
            });
    }

    void runAll(const QJsonValue &steps)
    {
        for (const QJsonValue &entry : steps.toArray()) {
            const QString what = entry.isString() ? entry.toString() : entry["do"].toString();
            m_returned = false;
            run(what);
            QVERIFY2(m_returned == entry["returns"].toBool(), "returned otherwise");
            if (entry["order"].isString())
                QCOMPARE(m_order.join(' '), entry["order"].toString());
            if (entry["order"].isString() || entry["log"].isString())
                QCOMPARE(m_log.join(" | "), entry["log"].toString());
            if (QTest::currentTestFailed())
                QFAIL(qPrintable("at step " + what));
            m_order.clear(), m_log.clear();
            for (LmtToolSelectModel *model : m_models)
                for (int row = 0; row < model->rowCount(); ++row)
                    model->index(row, LmtToolSelectModel::ColumnInfo).data(Qt::EditRole);
        }
        // Change notices name the whole table; log lines are of the Auto type.
        QVERIFY(m_whole);
    }

    void run(const QString &step)
    {
        const QStringList words = step.split(' ');
        const QString verb = words.first(), label = words.value(1), value = words.value(2);
        const QString rest = step.section(' ', 2);
        LmtToolSelectModel *model = locate(label).first;
        const int row = locate(label).second;
        const auto shown = [&] { return model->rows().at(show(label)); };
        const auto combo = [&] { return qobject_cast<QComboBox *>(cell(model, row, 2)); };
        static const QStringList states { "unchecked", "partial", "checked" };
        if (verb == "set") {
            m_returned = model->setData(model->index(row, value.toInt()),
                states.contains(words.at(3)) ? QVariant(states.indexOf(words.at(3)))
                                             : QVariant(words.at(3)),
                words.at(4) == "check" ? Qt::CheckStateRole : Qt::EditRole);
        } else if (verb == "rowcheck") {
            m_returned = model->rows().at(row)->setCheckState(states.indexOf(value));
        } else if (verb == "pick") {
            m_returned = model->rows().at(row)->selectVersion(value);
        } else if (verb == "choose") {
            QComboBox *box = combo();
            box->setCurrentIndex(box->findText(value));
            QCOMPARE(combo(), box); // stays open
        } else if (verb == "add") {
            model->rows().at(row)->addVersion(
                value, lmttest::addOnline(version(label)->tool(), value));
        } else if (verb == "uncheckrow" || verb == "uncheck") {
            model->uncheckRow(verb == "uncheck" ? show(label) : row);
        } else if (verb == "check") {
            QVERIFY(shown()->setCheckState(Qt::Checked));
        } else if (verb == "show") {
            show(label);
        } else if (verb == "answer") { // the next box, by caption; its title and text are kept
            onNextModal<QMessageBox>([this, label](QMessageBox *box) {
                m_box = box->windowTitle() + ": " + shownAs(box->text(), box->textFormat());
                for (QAbstractButton *button : box->buttons())
                    if (button->text().remove('&') == label)
                        return button->click();
                box->reject();
            });
        } else if (verb == "setkey") {
            version(label)->tool()->setSelectedVersionKey(QString());
        } else if (verb == "flag") {
            version(label)->setSelected(value == "on");
        } else if (verb == "dir") {
            version(label)->setInstallDirectory(value);
        } else if (verb == "missing") {
            QList<LmtMissingDependency> missing;
            for (const QString &pair : words.mid(1))
                missing.append({ version(pair.section('=', 0, 0)),
                    pair.endsWith('=') ? nullptr : version(pair.section('=', 1)) });
            for (LmtToolSelectModel *each : m_models)
                each->setMissingDependencies(missing);
        } else if (verb == "load" || verb == "reload") {
            if (verb == "load")
                static_cast<Catalogue &>(*this) = Catalogue(label);
            m_view ? m_view->updateToolsData(Catalogue::model)
                   : m_own->updateToolsData(Catalogue::model);
        } else if (verb == "selected" || verb == "unselected") {
            for (const QString &each : words.mid(1))
                QVERIFY2(version(each)->selected() == (verb == "selected"), qPrintable(each));
        } else if (verb == "state") {
            QCOMPARE(states.value(model->index(row, 0).data(Qt::CheckStateRole).toInt()), value);
        } else if (verb == "action") {
            QCOMPARE(actionNames.value(shown()->action()), value);
        } else if (verb == "remembered") {
            QCOMPARE(version(label)->tool()->selectedVersionKey(), value);
        } else if (verb == "shows") {
            QCOMPARE(labelOf(model->rows().at(row)->currentVersion()), value);
        } else if (verb == "lookup") {
            QCOMPARE(labelOf(model->rows().at(row)->versionForKey(value)), words.at(3));
        } else if (verb == "text") {
            const QString page = vendorToolPageUrl(version(label)->tool()->featureId());
            QCOMPARE(model->index(show(label), 3).data(Qt::EditRole).toString(),
                QString(rest).replace("{page}", QString("<a href=\"%1\">%1</a>").arg(page)));
        } else if (verb == "tip") {
            // The check box and the name explain the row alike; the other columns carry none.
            for (int column : { 0, 1 })
                QCOMPARE(model->index(show(label), column).data(Qt::ToolTipRole).toString(), rest);
            QVERIFY(!model->index(row, 3).data(Qt::ToolTipRole).isValid());
        } else if (verb == "icon" || verb == "noicon") {
            QCOMPARE(model->index(row, 1).data(Qt::DecorationRole).isValid(), verb == "icon");
        } else if (verb == "combo") {
            QCOMPARE(combo() ? combo()->currentText() : QString("<none>"), rest);
        } else if (verb.startsWith("info")) {
            for (const QString &text : { browserAt(model, row)->toPlainText(),
                     plainText(model->index(row, 3).data(Qt::EditRole).toString()) })
                QVERIFY2(verb == "info=" ? text == rest
                        : verb == "info" ? text.startsWith(rest)
                                         : text.contains(rest),
                    qPrintable(text));
        } else if (verb == "box") {
            QCOMPARE(m_box, step.section(' ', 1));
        } else if (verb == "unmet") {
            QStringList missing;
            for (const LmtMissingDependency &entry : m_view->missingDependencies())
                missing << labelOf(entry.version) + "=" + labelOf(entry.candidate, "");
            QCOMPARE(missing, words.mid(1));
        } else if (verb == "editors") {
            for (LmtToolSelectModel *each : m_models)
                for (int i = 0; i < each->rowCount(); ++i) {
                    const QString name = each->index(i, 1).data().toString() + ": ";
                    if (auto *box = qobject_cast<QComboBox *>(cell(each, i, 2)))
                        QCOMPARE(name + box->currentText(),
                            name + each->index(i, 2).data(Qt::EditRole).toString());
                    QCOMPARE(name + browserAt(each, i)->toPlainText(),
                        name + plainText(each->index(i, 3).data(Qt::EditRole).toString()));
                }
        } else if (verb == "fits") {
            QStyleOptionViewItem option;
            option.initFrom(table(model));
            int widest = 0;
            for (int i = 0; i < model->rowCount(); ++i)
                widest = std::max(
                    widest, LmtToolInfoDelegate().sizeHint(option, model->index(i, 3)).width());
            QCOMPARE(table(model)->columnWidth(3), widest);
        } else {
            QFAIL(qPrintable("unknown step " + step));
        }
    }

    // The model and row that hold the version, as the shown one or in the drop-down; for
    // a name that is no version the first model and no row, or for "end" the one after its
    // last.
    std::pair<LmtToolSelectModel *, int> locate(const QString &label) const
    {
        for (LmtToolSelectModel *model : m_models)
            for (int i = 0; named.contains(label) && i < model->rowCount(); ++i)
                if (model->rows().at(i)->currentVersion() == version(label)
                    || model->rows().at(i)->versions().contains(version(label)))
                    return { model, i };
        return { m_models.first(), label == "end" ? m_models.first()->rowCount() : -1 };
    }

    QTableView *table(const LmtToolSelectModel *model) const
    {
        return model == m_view->baseModel() ? m_view->baseTable() : m_view->additionalTable();
    }

    // Editors out of view open over the next turns of the event loop.
    QWidget *cell(const LmtToolSelectModel *model, int row, int column) const
    {
        const QModelIndex index = model->index(row, column);
        const auto editor = [&] { return table(model)->indexWidget(index); };
        if (model->flags(index).testFlag(Qt::ItemIsEditable)
            && !QTest::qWaitFor([&] { return editor() != nullptr; }, 2000))
            return nullptr;
        return editor();
    }

    // The information cell's text; an installed 3rd-party tool's also holds its "Open" button.
    QTextBrowser *browserAt(const LmtToolSelectModel *model, int row) const
    {
        auto *thirdParty = qobject_cast<ThirdPartyEditorWidget *>(cell(model, row, 3));
        return thirdParty ? thirdParty->informationBrowser()
                          : qobject_cast<QTextBrowser *>(cell(model, row, 3));
    }

    // Makes the version the row's shown one.
    int show(const QString &label)
    {
        const auto [model, row] = locate(label);
        const auto &shown = model->rows().at(row);
        for (const QString &key : shown->versionKeys())
            if (shown->currentVersion() != version(label)
                && shown->versionForKey(key) == version(label))
                shown->selectVersion(key);
        return row;
    }

    bool showView(int width, int height)
    {
        m_view->resize(width, height);
        m_view->show();
        return QTest::qWaitForWindowExposed(m_view.get());
    }

    LmtToolSelectModel &model() { return *m_models.first(); }
    LmtToolSelectView &view() { return *m_view; }

private:
    template<typename Sender>
    void record(Sender *sender)
    {
        QObject::connect(sender, qOverload<QString, ConsoleMessageType>(&Sender::appendUILog),
            [this](const QString &text, ConsoleMessageType type) {
                m_order << "appendUILog", m_log << text;
                m_whole = m_whole && type == ConsoleMessageType::Auto;
            });
        QObject::connect(
            sender, &Sender::toolSelectionChanged, [this] { m_order << "toolSelectionChanged"; });
    }

    QList<LmtToolSelectModel *> m_models;
    QStringList m_order, m_log;
    QString m_box;
    bool m_whole = true, m_returned = false;
    // Last, so that they go first: what they send while they go still finds the records.
    std::unique_ptr<LmtToolSelectView> m_view;
    std::unique_ptr<LmtToolSelectModel> m_own;
};

} // namespace selecttest
