#pragma once

#include "views/LmtToolConfigRow.h"

#include <QAbstractTableModel>
#include <QList>

#include <memory>

namespace zendrel::lmt::setup {

class LmtCoreToolModel;

// One of the three configuration tables: the versions to be newly installed, updated or
// uninstalled, with their links (column 0), version text (1) and install choices (2).
class LmtToolConfigModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Kind {
        NewInstalls = 0,
        Updates = 1,
        Uninstalls = 2,
    };
    enum Column {
        ColumnLinks = 0,
        ColumnVersion = 1,
        ColumnConfig = 2,
    };

    explicit LmtToolConfigModel(int kind, QObject *parent = nullptr);

    int kind() const { return m_kind; }
    // Rebuilds the rows from the catalogue (a model reset).
    void updateToolsData(std::shared_ptr<LmtCoreToolModel> toolModel);
    const QList<std::shared_ptr<LmtToolConfigRow>> &rows() const { return m_rows; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Column 2 with Qt::EditRole and an LmtToolConfigData: applies the choice to the row.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

private:
    std::shared_ptr<LmtToolConfigRow> rowAt(const QModelIndex &index) const;

    QList<std::shared_ptr<LmtToolConfigRow>> m_rows;
    const int m_kind;
};

} // namespace zendrel::lmt::setup
