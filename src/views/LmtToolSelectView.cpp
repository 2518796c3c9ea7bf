#include "views/LmtToolSelectView.h"

#include "model/LmtCoreToolModel.h"
#include "model/LmtInstallOrder.h"
#include "model/LmtTool.h"
#include "services/LmtVendorSite.h"
#include "shared_toolkit/Log.h"
#include "views/LmtPlainToolTipDelegate.h"
#include "views/LmtSelectRowsBuilder.h"
#include "views/LmtToolInfoDelegate.h"
#include "views/LmtToolSelectModel.h"
#include "views/LmtToolSelectRow.h"
#include "views/LmtToolVersionDelegate.h"
#include "views/LmtVisibleRowEditors.h"

#include <QGuiApplication>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace zendrel::lmt::setup {

using shared_toolkit::ConsoleMessageType;

namespace {

constexpr auto Tag = "[LmtToolSelectView]";
constexpr int PaddedColumnWidth = 20;

QString toolName(const LmtToolVersion &version)
{
    const auto tool = version.tool();
    return tool ? tool->name() : QString();
}

QLabel *headingLabel(const QString &objectName, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(objectName);
    QFont font = label->font();
    font.setWeight(QFont::Bold);
    label->setFont(font);
    label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    return label;
}

QVBoxLayout *areaLayout(const QString &objectName, QWidget *area)
{
    auto *layout = new QVBoxLayout(area);
    layout->setObjectName(objectName);
    layout->setContentsMargins(0, 0, 0, 0);
    return layout;
}

// The drop-down key under which the row holds the version. Where several builds share one
// major.minor.patch the keys are full version texts, and the short text would pick the first
// build in key order instead of this one.
QString keyOf(const LmtToolSelectRow &row, const std::shared_ptr<LmtToolVersion> &version)
{
    const QStringList keys = row.versionKeys();
    const auto found = std::find_if(keys.cbegin(), keys.cend(),
        [&row, &version](const QString &key) { return row.versionForKey(key) == version; });
    return found != keys.cend() ? *found : version->displayVersion();
}

QHash<QString, LmtToolVersionList> versionsByFeature(const LmtToolVersionList &versions)
{
    QHash<QString, LmtToolVersionList> result;
    for (const auto &version : versions)
        result[version->featureId()].append(version);
    return result;
}

// The candidates of each version's unmet dependencies, in list order.
QHash<const LmtToolVersion *, QList<const LmtToolVersion *>> candidatesByVersion(
    const LmtMissingDependencies &missing)
{
    QHash<const LmtToolVersion *, QList<const LmtToolVersion *>> result;
    for (const auto &entry : missing)
        result[entry.version.get()].append(entry.candidate.get());
    return result;
}

// The versions whose unmet dependencies differ between two lists: the rows showing them get
// or lose the error icon, and their tool tip and information text change.
QSet<const LmtToolVersion *> versionsWithChangedGaps(
    const LmtMissingDependencies &before, const LmtMissingDependencies &after)
{
    const auto old = candidatesByVersion(before);
    const auto now = candidatesByVersion(after);
    QSet<const LmtToolVersion *> changed;
    for (auto it = old.cbegin(); it != old.cend(); ++it) {
        if (now.value(it.key()) != it.value())
            changed.insert(it.key());
    }
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (!old.contains(it.key()))
            changed.insert(it.key());
    }
    return changed;
}

} // namespace

LmtToolSelectView::LmtToolSelectView(QWidget *parent)
    : LmtSyncedTableView(parent)
{
    setupForm();
    m_baseModel = new LmtToolSelectModel(true, this);
    m_additionalModel = new LmtToolSelectModel(false, this);
    setupTable(m_tableViewBase, m_baseModel);
    setupTable(m_tableViewAdditional, m_additionalModel);
    m_baseEditors = new LmtVisibleRowEditors(m_tableViewBase);
    m_additionalEditors = new LmtVisibleRowEditors(m_tableViewAdditional);
    m_rowsBuilder = new LmtSelectRowsBuilder(m_baseModel, m_additionalModel, this);
    connect(m_rowsBuilder, &LmtSelectRowsBuilder::built, this, &LmtToolSelectView::finishUpdate);
    connectModel(m_baseModel);
    connectModel(m_additionalModel);

    addTable(m_tableViewBase);
    addTable(m_tableViewAdditional);
    setColumnPadding(LmtToolSelectModel::ColumnName, PaddedColumnWidth);
    setColumnPadding(LmtToolSelectModel::ColumnVersion, PaddedColumnWidth);
}

LmtToolSelectView::~LmtToolSelectView()
{
    // A version drop-down with focus commits its choice when it loses the focus, which can be
    // while QWidget's destructor closes this page: the page's slots must not hear of it then.
    for (LmtToolSelectModel *model : { m_baseModel, m_additionalModel }) {
        if (model)
            disconnect(model, nullptr, this, nullptr);
    }
}

void LmtToolSelectView::setupForm()
{
    setObjectName(QStringLiteral("LmtToolSelectView"));
    resize(640, 480);

    m_verticalLayout = new QVBoxLayout(this);
    m_verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    m_verticalLayout->setContentsMargins(0, 0, 0, 0);

    m_splitter = new QSplitter(Qt::Vertical, this);
    m_splitter->setObjectName(QStringLiteral("splitter"));
    m_splitter->setChildrenCollapsible(false);

    m_wgtBaseArea = new QWidget(m_splitter);
    m_wgtBaseArea->setObjectName(QStringLiteral("m_wgtBaseArea"));
    QVBoxLayout *baseLayout = areaLayout(QStringLiteral("verticalLayout_1"), m_wgtBaseArea);
    m_lblBasePackages
        = headingLabel(QStringLiteral("m_lblBasePackages"), tr("Base Packages"), m_wgtBaseArea);
    m_tableViewBase = new QTableView(m_wgtBaseArea);
    m_tableViewBase->setObjectName(QStringLiteral("m_tableViewBase"));
    baseLayout->addWidget(m_lblBasePackages);
    baseLayout->addWidget(m_tableViewBase);
    m_splitter->addWidget(m_wgtBaseArea);

    m_wgtAdditionalArea = new QWidget(m_splitter);
    m_wgtAdditionalArea->setObjectName(QStringLiteral("m_wgtAdditionalArea"));
    QVBoxLayout *additionalLayout
        = areaLayout(QStringLiteral("verticalLayout_2"), m_wgtAdditionalArea);
    m_lblAdditionalPackages = headingLabel(
        QStringLiteral("m_lblAdditionalPackages"), tr("Additional Packages"), m_wgtAdditionalArea);
    m_tableViewAdditional = new QTableView(m_wgtAdditionalArea);
    m_tableViewAdditional->setObjectName(QStringLiteral("m_tableViewAdditional"));
    additionalLayout->addWidget(m_lblAdditionalPackages);
    additionalLayout->addWidget(m_tableViewAdditional);
    m_splitter->addWidget(m_wgtAdditionalArea);

    m_verticalLayout->addWidget(m_splitter);

    m_lblArchiveLink = new QLabel(this);
    m_lblArchiveLink->setObjectName(QStringLiteral("m_lblArchiveLink"));
    m_lblArchiveLink->setTextFormat(Qt::RichText);
    m_lblArchiveLink->setOpenExternalLinks(true);
    m_lblArchiveLink->setTextInteractionFlags(
        Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    // The landing page lists the offline installers of every release.
    m_lblArchiveLink->setText(QStringLiteral("<a href=\"%1/\">%2</a>")
                                  .arg(vendorSiteBaseUrl(),
                                      tr("Check Lumetra™ Software landing page for offline "
                                         "installation packages")));
    m_verticalLayout->addWidget(m_lblArchiveLink);
}

void LmtToolSelectView::setupTable(QTableView *table, LmtToolSelectModel *model)
{
    table->setFocusPolicy(Qt::NoFocus);
    table->setEditTriggers(QAbstractItemView::AllEditTriggers);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setShowGrid(false);
    table->horizontalHeader()->setVisible(false);
    table->verticalHeader()->setVisible(false);
    table->horizontalHeader()->setMinimumSectionSize(24);
    table->verticalHeader()->setMinimumSectionSize(30);
    table->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    table->setAutoScroll(false);
    table->setModel(model);
    // Check box and name: their tool tips name the tool as the registry does.
    table->setItemDelegate(new LmtPlainToolTipDelegate(table));
    table->setItemDelegateForColumn(
        LmtToolSelectModel::ColumnVersion, new LmtToolVersionDelegate(table));
    table->setItemDelegateForColumn(LmtToolSelectModel::ColumnInfo, new LmtToolInfoDelegate(table));
}

void LmtToolSelectView::connectModel(LmtToolSelectModel *model)
{
    connect(model, qOverload<QString, ConsoleMessageType>(&LmtToolSelectModel::appendUILog), this,
        qOverload<QString, ConsoleMessageType>(&LmtToolSelectView::appendUILog));
    connect(model, &LmtToolSelectModel::toolSelectionChanged, this,
        &LmtToolSelectView::onTooLSelectionChanged);
    connect(model, &LmtToolSelectModel::checkForMissingToolsRequest, this,
        &LmtToolSelectView::onCheckForMissingToolsRequested);
    connect(model, &LmtToolSelectModel::selectDependentToolsRequest, this,
        &LmtToolSelectView::onSelectDependentToolsRequested);
    connect(model, &LmtToolSelectModel::localToolUnchecked, this,
        &LmtToolSelectView::onLocalToolUnchecked);
    // New rows: what was kept about the old ones no longer applies.
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        m_rowsChangedByDependencies.clear();
        m_shownMissingDependencies.clear();
        m_shownFrom.clear();
        m_shown.clear();
        m_shownByFeature.clear();
    });
}

LmtToolVersionList LmtToolSelectView::shownVersions(
    const QList<std::shared_ptr<LmtToolSelectRow>> &baseRows,
    const QList<std::shared_ptr<LmtToolSelectRow>> &additionalRows)
{
    LmtToolVersionList shown;
    shown.reserve(baseRows.size() + additionalRows.size());
    // Versions of different tools never share a line, so each entry is compared with the
    // shown versions of its own tool only (this runs on every click).
    QHash<QString, LmtToolVersionList> shownByTool;
    const auto add = [&shown, &shownByTool](const std::shared_ptr<LmtToolVersion> &version) {
        shown.append(version);
        shownByTool[version->featureId()].append(version);
    };
    for (const auto &row : baseRows)
        add(row->currentVersion());
    for (const auto &row : additionalRows) {
        add(row->currentVersion());
        if (row->currentVersion()->toolType() != LmtToolType::External)
            continue;
        // An external tool's row spans several patch lines; the lines it does not show still
        // count as offered, so dependencies on them can be met.
        for (const auto &entry : row->versions()) {
            const LmtToolVersionList sameTool = shownByTool.value(entry->featureId());
            const bool lineShown = std::any_of(sameTool.cbegin(), sameTool.cend(),
                [&entry](const auto &version) { return version->isSamePatchLine(*entry); });
            if (!lineShown)
                add(entry);
        }
    }
    return shown;
}

LmtMissingDependencies LmtToolSelectView::computeMissing(const LmtToolVersionList &shown)
{
    return computeMissing(shown, versionsByFeature(shown));
}

LmtMissingDependencies LmtToolSelectView::computeMissing(
    const LmtToolVersionList &shown, const QHash<QString, LmtToolVersionList> &shownByFeature)
{
    LmtToolVersionList selected;
    bool anyDependency = false;
    for (const auto &version : shown) {
        if (!version->selected())
            continue;
        selected.append(version);
        anyDependency = anyDependency || !version->dependencies().isEmpty();
    }
    LmtMissingDependencies missing;
    if (!anyDependency)
        return missing;

    // A target can only be a version of the target tool, so each dependency is looked up
    // among that tool's shown versions (in list order, which decides ties) instead of the
    // whole list: the automatic selection of a chain of dependencies runs this at every level.
    static const LmtToolVersionList none;
    for (const auto &version : std::as_const(selected)) {
        for (const auto &dependency : version->dependencies()) {
            const auto found = shownByFeature.constFind(dependency->targetFeatureId);
            const LmtToolVersionList &sameTool = found != shownByFeature.cend() ? *found : none;
            LmtToolVersionList selectedOfTool;
            for (const auto &candidate : sameTool) {
                if (candidate->selected())
                    selectedOfTool.append(candidate);
            }
            // A dependency met by any selected version needs nothing, even when a newer shown
            // version would also meet it.
            if (findDependencyTarget(selectedOfTool, *dependency))
                continue;
            missing.append({ version, findDependencyTarget(sameTool, *dependency) });
        }
    }
    return missing;
}

const LmtToolVersionList &LmtToolSelectView::currentShownVersions()
{
    QList<const LmtToolVersion *> from;
    from.reserve(m_baseModel->rowCount() + m_additionalModel->rowCount());
    for (const auto *model : { m_baseModel, m_additionalModel }) {
        for (const auto &row : model->rows())
            from.append(row->currentVersion().get());
    }
    if (from != m_shownFrom || from.isEmpty()) {
        m_shown = shownVersions(m_baseModel->rows(), m_additionalModel->rows());
        m_shownByFeature = versionsByFeature(m_shown);
        m_shownFrom = from;
    }
    return m_shown;
}

QList<LmtToolSelectRow::ShownState> LmtToolSelectView::shownStates() const
{
    QList<LmtToolSelectRow::ShownState> states;
    states.reserve(m_baseModel->rowCount() + m_additionalModel->rowCount());
    for (const auto *model : { m_baseModel, m_additionalModel }) {
        for (const auto &row : model->rows())
            states.append(row->shownState());
    }
    return states;
}

void LmtToolSelectView::refreshMissing()
{
    m_missingDependencies = computeMissing(currentShownVersions(), m_shownByFeature);
    m_baseModel->setMissingDependencies(m_missingDependencies);
    m_additionalModel->setMissingDependencies(m_missingDependencies);
    // While dependencies are being selected the tables are repainted once, by the check that
    // follows the change, not at every level: on a large catalogue each repaint refreshes
    // thousands of open editors.
    if (m_selectingDependencies)
        return;
    // Only the rows that show something new are refreshed: those whose unmet dependencies
    // changed and those whose state the automatic selection of dependencies changed. A change the
    // user made is announced by its model for the whole table right after this.
    const QSet<const LmtToolVersion *> gapsChanged
        = versionsWithChangedGaps(m_shownMissingDependencies, m_missingDependencies);
    m_shownMissingDependencies = m_missingDependencies;
    const QSet<const LmtToolSelectRow *> switched = std::exchange(m_rowsChangedByDependencies, {});
    if (gapsChanged.isEmpty() && switched.isEmpty())
        return;
    const auto changed = [&gapsChanged, &switched](const LmtToolSelectRow &row) {
        return switched.contains(&row) || gapsChanged.contains(row.currentVersion().get());
    };
    m_baseModel->announceRowChanges(changed);
    m_additionalModel->announceRowChanges(changed);
}

void LmtToolSelectView::logMissing()
{
    for (const auto &entry : std::as_const(m_missingDependencies)) {
        const LmtToolVersion &version = *entry.version;
        QString text;
        if (entry.candidate) {
            text = trLog("'%1' %2 has a dependency on the '%3' %4 which is not installed")
                       .arg(toolName(version))
                       .arg(version.displayVersion())
                       .arg(toolName(*entry.candidate))
                       .arg(entry.candidate->displayVersion());
        } else if (!version.dependencies().isEmpty()) {
            text = trLog("'%1' %2 has a dependency on the %3 which is not installed")
                       .arg(toolName(version))
                       .arg(version.displayVersion())
                       .arg(version.dependencies().first()->targetFeatureId);
        } else {
            text = trLog("'%1' %2 has a dependency on the tool which is not installed.")
                       .arg(toolName(version))
                       .arg(version.displayVersion());
        }
        Q_EMIT appendUILog(text, ConsoleMessageType::Auto);
    }
}

void LmtToolSelectView::updateToolsData(std::shared_ptr<LmtCoreToolModel> toolModel)
{
    qCDebug(lmtLocal).noquote() << Tag << ">> updateToolsData()";
    m_rowsBuilder->stop();
    m_baseModel->updateToolsData(toolModel);
    m_additionalModel->updateToolsData(toolModel);
    finishUpdate();
}

void LmtToolSelectView::updateToolsDataInTurns(std::shared_ptr<LmtCoreToolModel> toolModel)
{
    qCDebug(lmtLocal).noquote() << Tag << ">> updateToolsDataInTurns()";
    m_rowsBuilder->buildInTurns(std::move(toolModel));
}

void LmtToolSelectView::stopUpdate()
{
    m_rowsBuilder->stop();
}

void LmtToolSelectView::finishUpdate()
{
    // Every refresh reports all unmet dependencies again, even those reported before.
    refreshMissing();
    logMissing();
    m_reportedMissingCount = m_missingDependencies.size();
    syncTables();
    qCDebug(lmtLocal).noquote() << Tag << "<< updateToolsData()";
    Q_EMIT toolsDataUpdated();
}

void LmtToolSelectView::syncTables()
{
    m_baseEditors->follow(LmtToolSelectModel::ColumnVersion);
    m_additionalEditors->follow(LmtToolSelectModel::ColumnVersion);
    LmtSyncedTableView::syncTables();
    m_baseEditors->follow(LmtToolSelectModel::ColumnInfo);
    m_additionalEditors->follow(LmtToolSelectModel::ColumnInfo);
}

void LmtToolSelectView::onTooLSelectionChanged()
{
    // The information text depends on the selection; let its column follow.
    m_tableViewBase->resizeColumnToContents(LmtToolSelectModel::ColumnInfo);
    m_tableViewAdditional->resizeColumnToContents(LmtToolSelectModel::ColumnInfo);
    Q_EMIT toolSelectionChanged();
}

void LmtToolSelectView::onCheckForMissingToolsRequested()
{
    // After a single change only new gaps are worth a line; a shrinking list says nothing new.
    // The reference is the list as of the previous check, not as of the refreshes made while
    // dependencies were selected for this very change: those already contain the new gaps,
    // which would then never be reported.
    const qsizetype before = m_reportedMissingCount;
    refreshMissing();
    if (m_missingDependencies.size() > before)
        logMissing();
    m_reportedMissingCount = m_missingDependencies.size();
}

void LmtToolSelectView::onSelectDependentToolsRequested(std::shared_ptr<LmtToolVersion> tool_ver_p)
{
    if (!tool_ver_p)
        return;
    qCDebug(lmtLocal).noquote() << Tag << ">> onSelectDependentToolsRequested()";
    // The model asks for the missing-dependency check right after this, which repaints.
    const QScopedValueRollback<bool> selecting(m_selectingDependencies, true);
    // Checking a dependency also deselects the other versions of its line, which other rows
    // may show (a second installation of the same tool): every row whose state changed in any
    // way is repainted, not only those switched or checked here.
    const QList<LmtToolSelectRow::ShownState> before = shownStates();
    selectDependents(tool_ver_p, m_baseModel->rows(), m_additionalModel->rows());
    qsizetype position = 0;
    for (const auto *model : { m_baseModel, m_additionalModel }) {
        for (const auto &row : model->rows()) {
            if (row->shownState() != before.at(position++))
                m_rowsChangedByDependencies.insert(row.get());
        }
    }
    qCDebug(lmtLocal).noquote() << Tag << "<< onSelectDependentToolsRequested()";
}

void LmtToolSelectView::selectDependents(const std::shared_ptr<LmtToolVersion> &version,
    const QList<std::shared_ptr<LmtToolSelectRow>> &baseRows,
    const QList<std::shared_ptr<LmtToolSelectRow>> &additionalRows)
{
    refreshMissing();
    const LmtMissingDependencies missing = m_missingDependencies;
    QList<std::shared_ptr<LmtToolSelectRow>> rows = baseRows;
    rows.append(additionalRows);

    for (const auto &entry : missing) {
        if (entry.version != version || !entry.candidate)
            continue;
        const auto &candidate = entry.candidate;
        const auto found = std::find_if(rows.cbegin(), rows.cend(), [&candidate](const auto &row) {
            if (row->currentVersion() == candidate)
                return true;
            if (row->currentVersion()->toolType() != LmtToolType::External)
                return false;
            // Looked through in place: this runs for every row at every level of a chain.
            const auto &entries = row->entries();
            return std::find(entries.cbegin(), entries.cend(), candidate) != entries.cend();
        });
        if (found == rows.cend())
            continue;

        Q_EMIT appendUILog(trLog("'%1' version %2 has a dependency on '%3' version %4")
                               .arg(toolName(*version))
                               .arg(version->version())
                               .arg(toolName(*candidate))
                               .arg(candidate->version()),
            ConsoleMessageType::Auto);
        (*found)->selectVersion(keyOf(**found, candidate));
        (*found)->setCheckState(Qt::Checked);
        selectDependents(candidate, baseRows, additionalRows);
    }
}

void LmtToolSelectView::onLocalToolUnchecked(QModelIndex index)
{
    auto *model = qobject_cast<LmtToolSelectModel *>(sender());
    if (!model)
        model = index.model() == m_baseModel ? m_baseModel : m_additionalModel;
    const auto row = model->rowAt(index.row());
    if (!row)
        return;
    qCInfo(lmtLocal).noquote() << Tag << "Uninstall confirmation shown for" << row->displayName()
                               << row->currentKey();

    QMessageBox box(QMessageBox::Warning, QGuiApplication::applicationDisplayName(),
        tr("By deselecting this check box, you will uninstall '%1 %2' if you proceed to the next "
           "step.")
            .arg(row->displayName())
            .arg(row->currentKey()),
        QMessageBox::NoButton, this, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    // The name comes from the registries; the box would otherwise render markup in it and
    // open its links through the desktop.
    box.setTextFormat(Qt::PlainText);
    QPushButton *continueButton = box.addButton(tr("Continue"), QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Cancel);
    QPointer<LmtToolSelectModel> guardedModel(model);
    box.exec();

    if (box.clickedButton() != continueButton) {
        qCInfo(lmtLocal).noquote() << Tag << "Uninstall cancelled";
        return;
    }
    // The tables may have been rebuilt while the box was open; never uncheck another tool.
    if (!guardedModel || guardedModel->rowAt(index.row()) != row) {
        qCWarning(lmtLocal).noquote() << Tag << "Tool list changed meanwhile, nothing unchecked";
        return;
    }
    guardedModel->uncheckRow(index.row());
}

} // namespace zendrel::lmt::setup
