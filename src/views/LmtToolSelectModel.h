#pragma once

#include "shared_toolkit/ConsoleMessageType.h"
#include "shared_toolkit/LmtTr.h"
#include "views/LmtMissingDependency.h"
#include "views/LmtSelectHintCache.h"
#include "views/LmtToolSelectRow.h"

#include <QAbstractTableModel>
#include <QList>
#include <QPixmap>

#include <functional>
#include <memory>

namespace zendrel::lmt::setup {

class LmtCoreToolModel;
class LmtTool;
class LmtToolVersion;

// One of the two select tables ("Base Packages" or "Additional Packages"): a row per line of
// versions of a tool, with its check box, name, version drop-down and information cell. The
// user's decisions are written straight into the shared catalogue; the model holds only the
// rows and the unmet dependencies computed by the select view.
class LmtToolSelectModel : public QAbstractTableModel
{
    Q_OBJECT
    LMT_TR_CONTEXT(LmtToolSelectModel)

public:
    enum Column {
        ColumnCheck = 0,
        ColumnName = 1,
        ColumnVersion = 2,
        ColumnInfo = 3,
    };

    // base: the table of tools packages, patches and 3rd-party tools; otherwise the table of
    // every other kind of tool.
    LmtToolSelectModel(bool base, QObject *parent = nullptr);

    // Rebuilds every row from the catalogue (a model reset).
    void updateToolsData(std::shared_ptr<LmtCoreToolModel> toolModel);
    // The steps of updateToolsData(), for building a long catalogue's rows in slices.
    bool belongsHere(const LmtTool &tool) const;
    // The rows of one tool, one per head of its version groups.
    void appendRowsOf(
        const std::shared_ptr<LmtTool> &tool, QList<std::shared_ptr<LmtToolSelectRow>> &rows);
    static void sortIntoDisplayOrder(QList<std::shared_ptr<LmtToolSelectRow>> &rows);
    // Replaces the rows (a model reset).
    void showRows(QList<std::shared_ptr<LmtToolSelectRow>> rows);
    const QList<std::shared_ptr<LmtToolSelectRow>> &rows() const { return m_rows; }
    // The row of a model index, null when the index lies outside the rows.
    std::shared_ptr<LmtToolSelectRow> rowAt(int row) const;

    // Replaces the unmet dependencies; the select view repaints on its own.
    void setMissingDependencies(const LmtMissingDependencies &missing);
    const LmtMissingDependencies &missingDependencies() const { return m_missingDependencies; }

    // Unchecks a row after the user confirmed the uninstall of its installed version.
    void uncheckRow(int row);

    // Tells the views that the rows for which changed is true show something new: one change
    // notice per run of adjacent rows, so that only their open cells are refreshed.
    void announceRowChanges(const std::function<bool(const LmtToolSelectRow &)> &changed);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

Q_SIGNALS:
    void toolSelectionChanged();
    void appendUILog(QString text,
        zendrel::lmt::shared_toolkit::ConsoleMessageType type
        = zendrel::lmt::shared_toolkit::ConsoleMessageType::Auto);
    void checkForMissingToolsRequest();
    void selectDependentToolsRequest(std::shared_ptr<LmtToolVersion> tool_ver_p);
    void localToolUnchecked(QModelIndex index);

private:
    bool canActOn(const LmtToolVersion &version) const;
    QVariant upgradeDecoration(LmtToolSelectRow::UpgradeKind kind) const;
    void announceSelectionChange();

    QList<std::shared_ptr<LmtToolSelectRow>> m_rows;
    const bool m_base;
    LmtMissingDependencies m_missingDependencies;
    // The information texts, kept until their row's state changes (data() is const).
    mutable LmtSelectHintCache m_hintCache;
    // Shown for rows without upgrade so that the version column keeps its decoration width.
    QPixmap m_placeholder;
};

} // namespace zendrel::lmt::setup

Q_DECLARE_METATYPE(std::shared_ptr<zendrel::lmt::setup::LmtToolVersion>)
