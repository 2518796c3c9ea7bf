#include "views/LmtToolInstallModel.h"

#include "model/LmtCoreToolModel.h"
#include "model/LmtLocalToolVersion.h"
#include "model/LmtOnlineToolVersion.h"
#include "model/LmtTool.h"
#include "shared_toolkit/Log.h"

#include <QBrush>

#include <algorithm>

namespace zendrel::lmt::setup {

namespace {
const char *const kTag = "[LmtToolInstallModel]";

QString kindWord(qint32 kind)
{
    switch (kind) {
    case LmtToolInstallRow::Download:
        return LmtToolInstallModel::tr("Download");
    case LmtToolInstallRow::Install:
        return LmtToolInstallModel::tr("Install");
    case LmtToolInstallRow::Uninstall:
        return LmtToolInstallModel::tr("Uninstall");
    default:
        return {};
    }
}
} // namespace

LmtToolInstallModel::LmtToolInstallModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void LmtToolInstallModel::updateToolsData(std::shared_ptr<LmtCoreToolModel> toolModel)
{
    qCDebug(lmtLocal).noquote() << kTag << ">> updateToolsData()";
    QList<std::shared_ptr<LmtToolInstallRow>> rows;
    if (toolModel) {
        LmtToolVersionList versions = toolModel->versionsToUninstall();
        for (const auto &offered : toolModel->installList())
            versions.append(offered);
        for (const std::shared_ptr<LmtToolVersion> &version : std::as_const(versions)) {
            rows.append(std::make_shared<LmtToolInstallRow>(version));
            qCDebug(lmtLocal).noquote()
                << kTag << "Sorting:" << version->featureId() << version->version();
        }
        std::stable_sort(rows.begin(), rows.end(),
            [](const std::shared_ptr<LmtToolInstallRow> &a,
                const std::shared_ptr<LmtToolInstallRow> &b) {
                return displayOrderLess(a->version, b->version);
            });
    }
    beginResetModel();
    m_rows = rows;
    endResetModel();
    qCDebug(lmtLocal).noquote() << kTag << "<< updateToolsData()";
}

std::shared_ptr<LmtToolInstallRow> LmtToolInstallModel::findRow(
    const QString &featureId, const QString &version, Kind kind) const
{
    const bool wantOffered = kind != LmtToolInstallRow::Uninstall;
    for (const auto &row : m_rows) {
        const auto &candidate = row->version;
        if (candidate && candidate->isOnline() == wantOffered && candidate->featureId() == featureId
            && candidate->version() == version)
            return row;
    }
    return nullptr;
}

void LmtToolInstallModel::announceStatusColumns()
{
    if (!m_rows.isEmpty())
        Q_EMIT dataChanged(index(0, ColumnSpinner), index(int(m_rows.size()) - 1, ColumnStatus));
}

void LmtToolInstallModel::setProgress(
    const QString &featureId, const QString &version, float progress, Kind kind)
{
    const auto row = findRow(featureId, version, kind);
    if (!row)
        return;
    row->kind = kind;
    row->progress = progress;
    announceStatusColumns();
}

void LmtToolInstallModel::setStatus(
    const QString &featureId, const QString &version, LmtOperationStatus status, Kind kind)
{
    const auto row = findRow(featureId, version, kind);
    if (!row) {
        qCDebug(lmtLocal).noquote()
            << kTag << "No row for" << featureId << version << "- status ignored";
        return;
    }
    row->kind = kind;
    row->status = status;
    if (status == InProgress)
        row->progress = 0;
    else if (status == Succeeded)
        row->progress = 100;
    announceStatusColumns();
}

bool LmtToolInstallModel::allFinished() const
{
    return std::all_of(m_rows.cbegin(), m_rows.cend(),
        [](const std::shared_ptr<LmtToolInstallRow> &row) { return row->isFinished(); });
}

bool LmtToolInstallModel::allSucceeded() const
{
    return std::all_of(m_rows.cbegin(), m_rows.cend(),
        [](const std::shared_ptr<LmtToolInstallRow> &row) { return row->isSucceeded(); });
}

QString LmtToolInstallModel::statusText(const LmtToolInstallRow &row)
{
    switch (row.status) {
    case InProgress:
        if (row.kind == LmtToolInstallRow::Download) {
            if (row.progress == 0)
                return tr("Initiating download");
            return tr("Downloading - %1%").arg(double(row.progress), 0, 'f', 2);
        }
        if (row.kind == LmtToolInstallRow::Install)
            return tr("Installing...");
        return tr("Uninstalling...");
    case Succeeded:
        if (row.kind == LmtToolInstallRow::Download)
            return tr("Waiting for installation");
        return tr("Done");
    case Failed:
        return tr("%1 failed").arg(kindWord(row.kind));
    case Cancelled:
        return tr("Cancelled");
    case Pending:
        if (row.kind == LmtToolInstallRow::Download)
            return tr("Waiting for download");
        if (row.kind == LmtToolInstallRow::Uninstall)
            return tr("Waiting to uninstall");
        return {};
    }
    return {};
}

int LmtToolInstallModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int LmtToolInstallModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 4;
}

QVariant LmtToolInstallModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= m_rows.size())
        return {};
    const LmtToolInstallRow &row = *m_rows.at(index.row());
    switch (index.column()) {
    case ColumnName:
        if (role == Qt::DisplayRole && row.version) {
            const auto tool = row.version->tool();
            return tool ? tool->name() : QString();
        }
        break;
    case ColumnVersion:
        if (role == Qt::DisplayRole && row.version)
            return row.version->displayVersion();
        if (role == Qt::TextAlignmentRole)
            return int(Qt::AlignLeft | Qt::AlignHCenter | Qt::AlignVCenter);
        break;
    case ColumnSpinner:
        if (role == Qt::UserRole)
            return row.status == InProgress;
        break;
    case ColumnStatus:
        if (role == Qt::DisplayRole)
            return statusText(row);
        if (role == Qt::ForegroundRole && (row.status == Failed || row.status == Cancelled))
            return QBrush(Qt::red);
        break;
    default:
        break;
    }
    return {};
}

} // namespace zendrel::lmt::setup
