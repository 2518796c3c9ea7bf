#pragma once

#include "shared_toolkit/LmtTr.h"
#include "views/LmtToolInstallRow.h"

#include <QAbstractTableModel>
#include <QList>

#include <memory>

namespace zendrel::lmt::setup {

class LmtCoreToolModel;

// The progress table of the install page: tool name, version, spinner flag and status text of
// every download/install and uninstall job.
class LmtToolInstallModel : public QAbstractTableModel
{
    Q_OBJECT
    LMT_TR_CONTEXT(LmtToolInstallModel)

public:
    using Kind = LmtToolInstallRow::Kind;
    enum Column {
        ColumnName = 0,
        ColumnVersion = 1,
        ColumnSpinner = 2,
        ColumnStatus = 3,
    };

    explicit LmtToolInstallModel(QObject *parent = nullptr);

    // Rebuilds the rows: the uninstalls and the installs of the catalogue (a model reset).
    void updateToolsData(std::shared_ptr<LmtCoreToolModel> toolModel);
    const QList<std::shared_ptr<LmtToolInstallRow>> &rows() const { return m_rows; }

    // Update the row of the job (feature id and full version text); unknown jobs are ignored.
    void setProgress(const QString &featureId, const QString &version, float progress, Kind kind);
    void setStatus(
        const QString &featureId, const QString &version, LmtOperationStatus status, Kind kind);

    // Whether every row ended, or ended successfully (an empty model counts as both).
    bool allFinished() const;
    bool allSucceeded() const;

    // The text of the status column for a row in that state.
    static QString statusText(const LmtToolInstallRow &row);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    std::shared_ptr<LmtToolInstallRow> findRow(
        const QString &featureId, const QString &version, Kind kind) const;
    void announceStatusColumns();

    QList<std::shared_ptr<LmtToolInstallRow>> m_rows;
};

} // namespace zendrel::lmt::setup
