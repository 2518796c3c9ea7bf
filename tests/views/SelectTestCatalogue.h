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
#include "common/LmtTestSupport.h"
#include "model/Lmt3rdPartyLocalToolVersion.h"
#include "model/Lmt3rdPartyOnlineToolVersion.h"
#include "model/Lmt3rdPartyTool.h"
#include "model/LmtCoreToolModel.h"
#include "model/LmtPlugin.h"
#include "platform/LmtPlatform.h"
#include "views/LmtToolConfigData.h"
#include "views/LmtToolSelectModel.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QUrl>

#include <memory>

namespace selecttest {

using namespace zendrel::lmt::setup;

// The array a fixture holds; each "{key}" string in it is replaced by fill's text for key.
inline QJsonArray jsonFixture(const QString &fixture, const QHash<QString, QString> &fill = {})
{
    QByteArray text = lmttest::fixture(fixture);
    for (auto it = fill.begin(); it != fill.end(); ++it) {
        const QByteArray quoted
            = QJsonDocument(QJsonArray { it.value() }).toJson(QJsonDocument::Compact);
        text.replace("\"{" + it.key().toUtf8() + "}\"", quoted.mid(1, quoted.size() - 2));
    }
    const QJsonArray array = QJsonDocument::fromJson(text).array();
    if (array.isEmpty())
        qFatal("%s holds no JSON array", qPrintable(fixture));
    return array;
}

inline LmtToolInstallScope scopeOf(const QJsonValue &name)
{
    return name.toString() == "all" ? LmtToolInstallScope::AllUsers
                                    : LmtToolInstallScope::CurrentUser;
}

// A tool's install configuration as a case file writes it: recommended and chosen scope, a
// default folder per scope ("dirs") and the chosen folder ("dir").
inline LmtToolConfigData configDataOf(const QJsonObject &given)
{
    LmtToolConfigData data;
    data.recommendedScope = scopeOf(given["recommended"]);
    data.installScope = scopeOf(given["scope"]);
    const QJsonObject dirs = given["dirs"].toObject();
    for (auto dir = dirs.begin(); dir != dirs.end(); ++dir)
        data.defaultDirectories.insert(scopeOf(dir.key()), dir.value().toString());
    data.installDirectory = given["dir"].toString();
    return data;
}

class Catalogue
{
public:
    std::shared_ptr<LmtCoreToolModel> model = std::make_shared<LmtCoreToolModel>();

    explicit Catalogue(const QString &fixture, const QHash<QString, QString> &fill = {})
    {
        for (const QJsonValue &entry : jsonFixture(fixture, fill))
            addTool(entry.toObject());
    }

    std::shared_ptr<LmtToolVersion> version(const QString &label) const
    {
        if (!m_named.contains(label))
            qFatal("no version named %s", qPrintable(label));
        return m_named.value(label);
    }

    QString labelOf(const std::shared_ptr<LmtToolVersion> &version) const
    {
        return m_named.key(version, "<unnamed>");
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
        if (t.contains("short"))
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
            tool->addVersion(offer);
            created = offer;
        } else if (v.contains("offered")) {
            auto offered = LmtOnlineToolVersion::create(
                v["offered"].toString(), numeric, v["registryId"].toInteger());
            tool->addVersion(offered);
            // The only package is for this platform, for the one named, or, with "", none.
            const QString os = v["os"].toString(zendrel::lmt::platform::osName());
            if (!os.isEmpty())
                offered->addPackage(std::make_shared<LmtToolPackage>(os,
                    QUrl("https://downloads.example/" + offered->version() + "/download"),
                    "installer", "exe", 1024));
            if (v.contains("recommended"))
                offered->setRecommendedScope(scopeOf(v["recommended"]));
            const QJsonObject dirs = v["dirs"].toObject();
            for (auto dir = dirs.begin(); dir != dirs.end(); ++dir)
                offered->setInstallDirectoryFor(scopeOf(dir.key()), dir.value().toString());
            created = offered;
        } else if (type == LmtToolType::ThirdParty) {
            auto local = Lmt3rdPartyLocalToolVersion::create(v["installed"].toString());
            local->setUninstallPath(v["uninstall"].toString());
            for (const QJsonValue &p : v["plugins"].toArray()) {
                local->addPlugin(std::make_shared<LmtPlugin>(
                    p[0].toString(), p[1].toString(), "editor -i " + p[0].toString()));
                local->plugins().last()->setInstalled(p[2].toBool());
            }
            tool->addVersion(local);
            created = local;
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
        for (const QJsonValue &d : v["depends"].toArray()) {
            const QJsonArray range = d.toArray();
            created->addDependency(range[0].toString(), quint64(range[1].toDouble()),
                range.size() > 2 ? quint64(range[2].toDouble()) : LmtToolDependency::Unbounded);
        }
        if (v.contains("as"))
            m_named.insert(v["as"].toString(), created);
    }

    QHash<QString, std::shared_ptr<LmtToolVersion>> m_named;
};

// A select model over a catalogue file, driven by the user's steps.
class SelectRig
{
public:
    SelectRig(const QString &fixture, bool base)
        : m_catalogue(std::make_unique<Catalogue>(fixture))
        , m_model(base)
    {
        m_model.updateToolsData(m_catalogue->model);
    }

    // Steps: "check L", "uncheck L", "show L", "flag L on|off", "dir L path",
    // "missing L=C L2= ..." (no candidate after "="), "load fixture", "reload". Every text is read
    // after each step, so a text the model keeps must follow the next change.
    void run(const QString &step)
    {
        const QStringList words = step.split(' ');
        const QString verb = words.first();
        if (verb == "load" || verb == "reload") {
            if (verb == "load")
                m_catalogue = std::make_unique<Catalogue>(words.at(1));
            m_model.updateToolsData(m_catalogue->model);
        } else if (verb == "missing") {
            QList<LmtMissingDependency> missing;
            for (const QString &pair : words.mid(1)) {
                const QStringList parts = pair.split('=');
                missing.append({ version(parts.at(0)),
                    parts.at(1).isEmpty() ? nullptr : version(parts.at(1)) });
            }
            m_model.setMissingDependencies(missing);
        } else if (verb == "flag") {
            version(words.at(1))->setSelected(words.at(2) == "on");
        } else if (verb == "dir") {
            version(words.at(1))->setInstallDirectory(words.at(2));
        } else {
            const int row = show(words.at(1));
            if (verb == "check")
                QVERIFY(m_model.rows().at(row)->setCheckState(Qt::Checked));
            else if (verb == "uncheck")
                m_model.uncheckRow(row);
        }
        for (int row = 0; row < m_model.rowCount(); ++row)
            m_model.index(row, LmtToolSelectModel::ColumnInfo).data(Qt::EditRole);
    }

    void runAll(const QJsonValue &steps)
    {
        for (const QJsonValue &step : steps.toArray())
            run(step.toString());
    }

    std::shared_ptr<LmtToolVersion> version(const QString &label) const
    {
        return m_catalogue->version(label);
    }

    QString labelOf(const std::shared_ptr<LmtToolVersion> &version) const
    {
        return version ? m_catalogue->labelOf(version) : QStringLiteral("none");
    }

    int show(const QString &label)
    {
        const auto wanted = version(label);
        for (int i = 0; i < m_model.rowCount(); ++i) {
            const auto &row = m_model.rows().at(i);
            if (row->currentVersion() == wanted)
                return i;
            for (const QString &key : row->versionKeys()) {
                if (row->versionForKey(key) == wanted && row->selectVersion(key))
                    return i;
            }
        }
        qFatal("no row for %s", qPrintable(label));
        return -1;
    }

    QString information(const QString &label)
    {
        return m_model.index(show(label), LmtToolSelectModel::ColumnInfo)
            .data(Qt::EditRole)
            .toString();
    }

    // The check box and the name explain the row alike; the other columns carry no tip.
    QString toolTip(const QString &label)
    {
        const int row = show(label);
        const QString onCheckBox = m_model.index(row, 0).data(Qt::ToolTipRole).toString();
        if (m_model.index(row, 1).data(Qt::ToolTipRole).toString() != onCheckBox
            || m_model.index(row, 3).data(Qt::ToolTipRole).isValid())
            return QStringLiteral("<tips of the columns disagree>");
        return onCheckBox;
    }

    LmtToolSelectModel &model() { return m_model; }

private:
    std::unique_ptr<Catalogue> m_catalogue;
    LmtToolSelectModel m_model;
};

} // namespace selecttest
