#include "views/LmtToolConfigModel.h"

#include "model/LmtCoreToolModel.h"
#include "model/LmtLocalToolVersion.h"
#include "model/LmtOnlineToolVersion.h"
#include "shared_toolkit/Log.h"

#include <algorithm>

namespace zendrel::lmt::setup {

namespace {
const char *const kTag = "[LmtToolConfigModel]";
} // namespace

LmtToolConfigModel::LmtToolConfigModel(int kind, QObject *parent)
    : QAbstractTableModel(parent)
    , m_kind(kind)
{
}

void LmtToolConfigModel::updateToolsData(std::shared_ptr<LmtCoreToolModel> toolModel)
{
    qCDebug(lmtLocal).noquote() << kTag << ">> updateToolsData()";
    QList<std::shared_ptr<LmtToolConfigRow>> rows;
    if (toolModel) {
        LmtToolVersionList versions;
        switch (m_kind) {
        case NewInstalls:
            versions = toolModel->newInstallVersions();
            break;
        case Updates:
            versions = toolModel->updateVersions();
            break;
        case Uninstalls:
            versions = toolModel->versionsToUninstall();
            break;
        default:
            break;
        }
        std::stable_sort(versions.begin(), versions.end(),
            [](const std::shared_ptr<LmtToolVersion> &a, const std::shared_ptr<LmtToolVersion> &b) {
                return displayOrderLess(a, b);
            });
        for (const std::shared_ptr<LmtToolVersion> &version : std::as_const(versions)) {
            if (m_kind == Uninstalls) {
                if (auto local = std::dynamic_pointer_cast<LmtLocalToolVersion>(version))
                    rows.append(std::make_shared<LmtLocalToolConfigRow>(local));
            } else if (auto online = std::dynamic_pointer_cast<LmtOnlineToolVersion>(version)) {
                rows.append(std::make_shared<LmtOnlineToolConfigRow>(online));
            }
        }
    }

    beginResetModel();
    m_rows = rows;
    endResetModel();
    qCDebug(lmtLocal).noquote() << kTag << "<< updateToolsData()";
}

std::shared_ptr<LmtToolConfigRow> LmtToolConfigModel::rowAt(const QModelIndex &index) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= m_rows.size())
        return nullptr;
    return m_rows.at(index.row());
}

int LmtToolConfigModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int LmtToolConfigModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant LmtToolConfigModel::data(const QModelIndex &index, int role) const
{
    const std::shared_ptr<LmtToolConfigRow> row = rowAt(index);
    if (!row)
        return {};
    if (index.column() == ColumnLinks && role == Qt::UserRole)
        return QVariant::fromValue(row->linksData());
    if (index.column() == ColumnVersion && role == Qt::DisplayRole)
        return row->versionText();
    if (index.column() == ColumnConfig && role == Qt::UserRole)
        return QVariant::fromValue(row->configData());
    return {};
}

Qt::ItemFlags LmtToolConfigModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags result = QAbstractTableModel::flags(index);
    const std::shared_ptr<LmtToolConfigRow> row = rowAt(index);
    if (row && index.column() == ColumnConfig && row->configData().isCustomizable())
        result |= Qt::ItemIsEditable;
    return result;
}

bool LmtToolConfigModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    const std::shared_ptr<LmtToolConfigRow> row = rowAt(index);
    if (!row || role != Qt::EditRole || index.column() != ColumnConfig
        || !value.canConvert<LmtToolConfigData>())
        return false;
    const auto data = value.value<LmtToolConfigData>();
    qCInfo(lmtLocal).noquote() << kTag << "Installation of" << row->name() << row->versionText()
                               << "customized: scope" << int(data.installScope) << "directory"
                               << data.installDirectory;
    row->applyConfig(data);
    Q_EMIT dataChanged(index, this->index(index.row(), ColumnConfig));
    return true;
}

} // namespace zendrel::lmt::setup
