#include "views/LmtToolSelectModel.h"

#include "model/LmtCoreToolModel.h"
#include "model/LmtLocalToolVersion.h"
#include "model/LmtOnlineToolVersion.h"
#include "model/LmtTool.h"
#include "model/LmtToolVersion.h"
#include "views/LmtSelectHintTexts.h"

#include <QHash>
#include <QIcon>
#include <QSet>

#include <algorithm>
#include <utility>
#include <vector>

namespace zendrel::lmt::setup {

namespace {

// Built on first use and kept for the life of the process (never destroyed, so no icon
// outlives the application object at exit).
const QIcon &resourceIcon(const QString &path)
{
    static auto *icons = new QHash<QString, QIcon>;
    auto found = icons->find(path);
    if (found == icons->end())
        found = icons->insert(path, QIcon(path));
    return found.value();
}

bool isBaseType(LmtToolType type)
{
    return type == LmtToolType::ToolsPackage || type == LmtToolType::Patch
        || type == LmtToolType::ThirdParty;
}

// The short version texts that builds with different full texts share in a line: their
// drop-down keys are the full texts (unless the head has no build).
QSet<QString> sharedShortTexts(const LmtToolVersionList &line)
{
    // Sorted by the short text, every short text with two different full texts has two
    // neighbours that differ. Sorting pointers spares the hashing of every text of the catalogue.
    std::vector<const LmtToolVersion *> byShort;
    byShort.reserve(line.size());
    for (const auto &version : line)
        byShort.push_back(version.get());
    std::sort(byShort.begin(), byShort.end(),
        [](const auto *a, const auto *b) { return a->displayVersion() < b->displayVersion(); });
    QSet<QString> shared;
    for (std::size_t i = 1; i < byShort.size(); ++i) {
        const LmtToolVersion &previous = *byShort[i - 1];
        const LmtToolVersion &version = *byShort[i];
        if (version.displayVersion() == previous.displayVersion()
            && version.version() != previous.version())
            shared.insert(version.displayVersion());
    }
    return shared;
}

bool offeredForThisPlatform(const LmtToolVersion &version)
{
    if (!version.isOnline() || version.toolType() == LmtToolType::ThirdParty)
        return true;
    const auto *offered = dynamic_cast<const LmtOnlineToolVersion *>(&version);
    return offered && offered->hasPackageForCurrentOs();
}

} // namespace

LmtToolSelectModel::LmtToolSelectModel(bool base, QObject *parent)
    : QAbstractTableModel(parent)
    , m_base(base)
    , m_placeholder(16, 16)
{
    qRegisterMetaType<std::shared_ptr<LmtToolVersion>>("std::shared_ptr<LmtToolVersion>");
    m_placeholder.fill(Qt::transparent);
}

bool LmtToolSelectModel::belongsHere(const LmtTool &tool) const
{
    return isBaseType(tool.type()) == m_base;
}

void LmtToolSelectModel::appendRowsOf(
    const std::shared_ptr<LmtTool> &tool, QList<std::shared_ptr<LmtToolSelectRow>> &rows)
{
    std::shared_ptr<LmtToolSelectRow> lastRow;
    const LmtVersionGroups groups = tool->versionGroups();
    for (auto group = groups.constBegin(); group != groups.constEnd(); ++group) {
        const auto &head = group.key();
        auto row = std::make_shared<LmtToolSelectRow>(head);
        connect(row.get(),
            qOverload<QString, shared_toolkit::ConsoleMessageType>(&LmtToolSelectRow::appendUILog),
            this,
            qOverload<QString, shared_toolkit::ConsoleMessageType>(
                &LmtToolSelectModel::appendUILog));
        lastRow = row;

        const LmtToolVersionList &line = group.value();
        const QSet<QString> shared = head->build() != 0 ? sharedShortTexts(line) : QSet<QString>();
        for (const auto &version : line) {
            if (!offeredForThisPlatform(*version))
                continue;
            const bool full = shared.contains(version->displayVersion());
            row->addVersion(full ? version->version() : version->displayVersion(), version);
        }
        if (row->hasVersions())
            rows.append(row);
    }
    // Only the last row of a tool takes the remembered drop-down choice back.
    if (lastRow && lastRow->hasVersionChoice())
        lastRow->selectVersion(tool->selectedVersionKey());
}

void LmtToolSelectModel::updateToolsData(std::shared_ptr<LmtCoreToolModel> toolModel)
{
    QList<std::shared_ptr<LmtToolSelectRow>> rows;
    if (toolModel) {
        for (const auto &tool : toolModel->tools()) {
            if (belongsHere(*tool))
                appendRowsOf(tool, rows);
        }
    }
    sortIntoDisplayOrder(rows);
    showRows(std::move(rows));
}

void LmtToolSelectModel::sortIntoDisplayOrder(QList<std::shared_ptr<LmtToolSelectRow>> &rows)
{
    // The groups come in no fixed order, and two installations of one version are equal in the
    // display order: the current user's goes first, so that the page is the same at every start.
    std::stable_sort(rows.begin(), rows.end(), [](const auto &a, const auto &b) {
        const auto &versionA = a->currentVersion();
        const auto &versionB = b->currentVersion();
        if (displayOrderLess(versionA, versionB))
            return true;
        if (displayOrderLess(versionB, versionA))
            return false;
        return versionA->installScope() < versionB->installScope();
    });
}

void LmtToolSelectModel::showRows(QList<std::shared_ptr<LmtToolSelectRow>> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_hintCache.clear();
    endResetModel();
}

std::shared_ptr<LmtToolSelectRow> LmtToolSelectModel::rowAt(int row) const
{
    if (row < 0 || row >= m_rows.size())
        return nullptr;
    return m_rows.at(row);
}

void LmtToolSelectModel::setMissingDependencies(const LmtMissingDependencies &missing)
{
    m_missingDependencies = missing;
    m_hintCache.setMissingDependencies(missing);
}

int LmtToolSelectModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int LmtToolSelectModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 4;
}

bool LmtToolSelectModel::canActOn(const LmtToolVersion &version) const
{
    if (version.toolType() != LmtToolType::ThirdParty)
        return true;
    if (const auto *offered = dynamic_cast<const LmtOnlineToolVersion *>(&version))
        return offered->silentInstall();
    if (const auto *installed = dynamic_cast<const LmtLocalToolVersion *>(&version))
        return installed->hasUninstallPath();
    return false;
}

Qt::ItemFlags LmtToolSelectModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags result = QAbstractTableModel::flags(index);
    const auto row = index.isValid() ? rowAt(index.row()) : nullptr;
    if (!row)
        return result;

    switch (index.column()) {
    case ColumnCheck:
        result |= Qt::ItemIsUserCheckable;
        if (!canActOn(*row->currentVersion()))
            result &= ~Qt::ItemIsEnabled;
        break;
    case ColumnVersion:
        if (row->hasVersionChoice())
            result |= Qt::ItemIsEditable;
        break;
    case ColumnInfo:
        // Lets the view keep the rich-text cell open as a persistent editor.
        result |= Qt::ItemIsEditable;
        break;
    default:
        break;
    }
    return result;
}

QVariant LmtToolSelectModel::upgradeDecoration(LmtToolSelectRow::UpgradeKind kind) const
{
    switch (kind) {
    case LmtToolSelectRow::Major:
        return QVariant::fromValue(resourceIcon(QStringLiteral(":/images/upgrade-major")));
    case LmtToolSelectRow::MinorOrPatch:
        return QVariant::fromValue(resourceIcon(QStringLiteral(":/images/upgrade-minor")));
    case LmtToolSelectRow::None:
        break;
    }
    return QVariant::fromValue(m_placeholder);
}

QVariant LmtToolSelectModel::data(const QModelIndex &index, int role) const
{
    if (index.row() < 0 || index.column() < 0 || !index.model())
        return {};
    const auto row = rowAt(index.row());
    if (!row)
        return {};
    const int column = index.column();

    switch (role) {
    case Qt::DisplayRole:
        if (column == ColumnName)
            return row->displayName();
        if (column == ColumnVersion && !row->hasVersionChoice())
            return row->currentKey();
        break;
    case Qt::EditRole:
        if (column == ColumnVersion)
            return row->currentKey();
        if (column == ColumnInfo)
            return m_hintCache.informationText(*row);
        break;
    case Qt::DecorationRole:
        if (column == ColumnName && m_hintCache.hasMissingDependency(*row->currentVersion()))
            return QVariant::fromValue(resourceIcon(QStringLiteral(":/images/error")));
        if (column == ColumnVersion)
            return upgradeDecoration(row->upgradeKind());
        break;
    case Qt::ToolTipRole:
        if (column == ColumnVersion) {
            switch (row->upgradeKind()) {
            case LmtToolSelectRow::Major:
                return tr("There is a new major version available.");
            case LmtToolSelectRow::MinorOrPatch:
                return tr("There is a new minor or patch version available.");
            case LmtToolSelectRow::None:
                break;
            }
        }
        if (column == ColumnCheck || column == ColumnName)
            return LmtSelectHintTexts(*row, m_missingDependencies).toolTip();
        break;
    case Qt::CheckStateRole:
        if (column == ColumnCheck)
            return int(row->checkState());
        break;
    case Qt::UserRole:
        if (column == ColumnVersion && row->hasVersionChoice())
            return row->versionKeys();
        break;
    default:
        break;
    }
    return {};
}

bool LmtToolSelectModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    const auto row = index.isValid() ? rowAt(index.row()) : nullptr;
    if (!row)
        return false;

    bool changed = false;
    if (role == Qt::CheckStateRole && index.column() == ColumnCheck) {
        const int state = value.toInt();
        if (state == Qt::Unchecked && !row->currentVersion()->isOnline()) {
            // Uninstalling needs the user's confirmation; the view asks and calls uncheckRow.
            Q_EMIT localToolUnchecked(index);
            return false;
        }
        changed = row->setCheckState(state);
        if (state == Qt::Checked && !row->currentVersion()->dependencies().isEmpty())
            Q_EMIT selectDependentToolsRequest(row->currentVersion());
    } else if (role == Qt::EditRole && index.column() == ColumnVersion) {
        const QString key = value.toString();
        changed = row->selectVersion(key);
        if (const auto tool = row->currentVersion()->tool())
            tool->setSelectedVersionKey(key);
    }

    Q_EMIT checkForMissingToolsRequest();
    if (changed)
        announceSelectionChange();
    return changed;
}

void LmtToolSelectModel::uncheckRow(int row)
{
    const auto selectRow = rowAt(row);
    if (!selectRow)
        return;
    selectRow->setCheckState(Qt::Unchecked);
    Q_EMIT checkForMissingToolsRequest();
    announceSelectionChange();
}

void LmtToolSelectModel::announceRowChanges(
    const std::function<bool(const LmtToolSelectRow &)> &changed)
{
    int first = -1;
    for (int row = 0; row <= m_rows.size(); ++row) {
        const bool inRun = row < m_rows.size() && changed(*m_rows.at(row));
        if (inRun && first < 0)
            first = row;
        if (!inRun && first >= 0) {
            Q_EMIT dataChanged(index(first, ColumnCheck), index(row - 1, ColumnInfo), {});
            first = -1;
        }
    }
}

void LmtToolSelectModel::announceSelectionChange()
{
    // Invalid indexes make the attached views refresh every open editor and repaint fully.
    Q_EMIT dataChanged(QModelIndex(), QModelIndex(), {});
    Q_EMIT toolSelectionChanged();
}

} // namespace zendrel::lmt::setup
