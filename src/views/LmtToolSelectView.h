#pragma once

#include "model/LmtToolVersion.h"
#include "shared_toolkit/ConsoleMessageType.h"
#include "shared_toolkit/LmtTr.h"
#include "views/LmtMissingDependency.h"
#include "views/LmtSyncedTableView.h"
#include "views/LmtToolSelectRow.h"

#include <QHash>
#include <QList>
#include <QModelIndex>
#include <QSet>

#include <memory>

class QLabel;
class QSplitter;
class QTableView;
class QVBoxLayout;
class QWidget;

namespace zendrel::lmt::setup {

class LmtCoreToolModel;
class LmtSelectRowsBuilder;
class LmtToolSelectModel;
class LmtVisibleRowEditors;

// The select step of the wizard: "Base Packages" above "Additional Packages". Besides showing
// the two select tables it owns the dependency logic between them: which selected versions
// miss a dependency, selecting what a newly checked version needs, and asking before an
// installed version is given up.
class LmtToolSelectView : public LmtSyncedTableView
{
    Q_OBJECT
    LMT_TR_CONTEXT(LmtToolSelectView)

public:
    explicit LmtToolSelectView(QWidget *parent = nullptr);
    ~LmtToolSelectView() override;

    // Opens the drop-downs of the rows in reach before the widths are synced (they take part
    // in the sizing) and the information cells afterwards.
    void syncTables() override;

    LmtToolSelectModel *baseModel() const { return m_baseModel; }
    LmtToolSelectModel *additionalModel() const { return m_additionalModel; }
    QTableView *baseTable() const { return m_tableViewBase; }
    QTableView *additionalTable() const { return m_tableViewAdditional; }
    // The unmet dependencies found last.
    const LmtMissingDependencies &missingDependencies() const { return m_missingDependencies; }

    // The versions the dependency logic works on: every row's current version and, for an
    // external tool in the additional table, its entries of lines not shown yet.
    static LmtToolVersionList shownVersions(
        const QList<std::shared_ptr<LmtToolSelectRow>> &baseRows,
        const QList<std::shared_ptr<LmtToolSelectRow>> &additionalRows);
    // The selected versions of shown whose dependencies are not all selected, each with the
    // shown version that would meet the dependency (null when there is none).
    static LmtMissingDependencies computeMissing(const LmtToolVersionList &shown);
    // The same with the shown versions already grouped by feature id (in list order).
    static LmtMissingDependencies computeMissing(
        const LmtToolVersionList &shown, const QHash<QString, LmtToolVersionList> &shownByFeature);

public Q_SLOTS:
    // Rebuilds both tables from a new catalogue and logs every unmet dependency.
    void updateToolsData(std::shared_ptr<zendrel::lmt::setup::LmtCoreToolModel> toolModel);
    // The same over turns of the event loop where the catalogue is long; the tables show their
    // old rows meanwhile. toolsDataUpdated() tells when it is done (at once for a short one).
    void updateToolsDataInTurns(std::shared_ptr<zendrel::lmt::setup::LmtCoreToolModel> toolModel);
    // Drops an update under way (its catalogue is about to be rewritten); the tables keep
    // their rows.
    void stopUpdate();

Q_SIGNALS:
    void toolsDataUpdated();
    void toolSelectionChanged();
    void appendUILog(QString text,
        zendrel::lmt::shared_toolkit::ConsoleMessageType type
        = zendrel::lmt::shared_toolkit::ConsoleMessageType::Auto);

private Q_SLOTS:
    void onTooLSelectionChanged();
    void onCheckForMissingToolsRequested();
    void onSelectDependentToolsRequested(std::shared_ptr<LmtToolVersion> tool_ver_p);
    void onLocalToolUnchecked(QModelIndex index);

private:
    void setupForm();
    void setupTable(QTableView *table, LmtToolSelectModel *model);
    void connectModel(LmtToolSelectModel *model);
    // The shown versions of the rows as they are now, worked out again only when a row shows
    // another version than last time (the dependency selection asks at every level).
    const LmtToolVersionList &currentShownVersions();
    // The state of every row, base rows first.
    QList<LmtToolSelectRow::ShownState> shownStates() const;
    void refreshMissing();
    void logMissing();
    // What follows new rows: the unmet dependencies, the sizes, the editors.
    void finishUpdate();
    void selectDependents(const std::shared_ptr<LmtToolVersion> &version,
        const QList<std::shared_ptr<LmtToolSelectRow>> &baseRows,
        const QList<std::shared_ptr<LmtToolSelectRow>> &additionalRows);

    // The form, top to bottom.
    QVBoxLayout *m_verticalLayout = nullptr;
    QSplitter *m_splitter = nullptr;
    QWidget *m_wgtBaseArea = nullptr;
    QLabel *m_lblBasePackages = nullptr;
    QTableView *m_tableViewBase = nullptr;
    QWidget *m_wgtAdditionalArea = nullptr;
    QLabel *m_lblAdditionalPackages = nullptr;
    QTableView *m_tableViewAdditional = nullptr;
    QLabel *m_lblArchiveLink = nullptr;

    LmtToolSelectModel *m_baseModel = nullptr;
    LmtToolSelectModel *m_additionalModel = nullptr;
    LmtVisibleRowEditors *m_baseEditors = nullptr;
    LmtVisibleRowEditors *m_additionalEditors = nullptr;
    LmtSelectRowsBuilder *m_rowsBuilder = nullptr;
    LmtMissingDependencies m_missingDependencies;
    // The list as the tables last showed it: their cells change where the new one differs.
    LmtMissingDependencies m_shownMissingDependencies;
    // currentShownVersions(): the rows' current versions it was built from (base rows first;
    // empty when it has to be built anew), the list and the list grouped by feature id.
    QList<const LmtToolVersion *> m_shownFrom;
    LmtToolVersionList m_shown;
    QHash<QString, LmtToolVersionList> m_shownByFeature;
    // Length of the list when it was last checked for growth (refresh or change request).
    qsizetype m_reportedMissingCount = 0;
    bool m_selectingDependencies = false;
    // Rows whose state the automatic selection of dependencies changed since the tables were
    // last told about changes.
    QSet<const LmtToolSelectRow *> m_rowsChangedByDependencies;
};

} // namespace zendrel::lmt::setup
