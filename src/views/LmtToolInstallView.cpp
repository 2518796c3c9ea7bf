#include "views/LmtToolInstallView.h"

#include "shared_toolkit/Log.h"
#include "views/LmtToolInstallModel.h"
#include "views/LmtToolSpinnerDelegate.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

namespace zendrel::lmt::setup {

namespace {
const char *const kTag = "[LmtToolInstallView]";
} // namespace

LmtToolInstallView::LmtToolInstallView(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("LmtToolInstallView"));
    resize(640, 480);

    m_verticalLayout = new QVBoxLayout(this);
    m_verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    m_verticalLayout->setContentsMargins(0, 0, 0, 0);

    m_lblProgress = new QLabel(tr("Progress"), this);
    m_lblProgress->setObjectName(QStringLiteral("m_lblProgress"));
    QFont bold = m_lblProgress->font();
    bold.setWeight(QFont::Bold);
    m_lblProgress->setFont(bold);
    m_verticalLayout->addWidget(m_lblProgress);

    m_tableViewToolsProgress = new QTableView(this);
    m_tableViewToolsProgress->setObjectName(QStringLiteral("m_tableViewToolsProgress"));
    m_tableViewToolsProgress->setFocusPolicy(Qt::NoFocus);
    m_tableViewToolsProgress->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tableViewToolsProgress->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tableViewToolsProgress->setShowGrid(false);
    m_tableViewToolsProgress->horizontalHeader()->setVisible(false);
    m_tableViewToolsProgress->verticalHeader()->setVisible(false);
    m_verticalLayout->addWidget(m_tableViewToolsProgress);

    m_model = new LmtToolInstallModel(this);
    m_tableViewToolsProgress->setModel(m_model);
    m_tableViewToolsProgress->setItemDelegateForColumn(
        LmtToolInstallModel::ColumnSpinner, new LmtToolSpinnerDelegate(this));
    m_tableViewToolsProgress->horizontalHeader()->setSectionResizeMode(
        LmtToolInstallModel::ColumnName, QHeaderView::Stretch);
    m_tableViewToolsProgress->setColumnWidth(LmtToolInstallModel::ColumnVersion, 150);
    m_tableViewToolsProgress->setColumnWidth(LmtToolInstallModel::ColumnSpinner, 45);
    m_tableViewToolsProgress->setColumnWidth(LmtToolInstallModel::ColumnStatus, 250);
    connect(m_model, &QAbstractItemModel::modelReset, this, &LmtToolInstallView::refreshSpinners);
}

void LmtToolInstallView::refreshSpinners()
{
    for (int row = 0; row < m_model->rowCount(); ++row)
        m_tableViewToolsProgress->openPersistentEditor(
            m_model->index(row, LmtToolInstallModel::ColumnSpinner));
}

void LmtToolInstallView::updateToolsData(std::shared_ptr<LmtCoreToolModel> toolModel_p)
{
    m_model->updateToolsData(std::move(toolModel_p));
}

void LmtToolInstallView::onDownloadProgressChanged(
    float progress, QString featureId, QString version)
{
    m_model->setProgress(featureId, version, progress, LmtToolInstallRow::Download);
}

void LmtToolInstallView::onDownloadStatusChanged(
    LmtOperationStatus status, QString featureId, QString version)
{
    m_model->setStatus(featureId, version, status, LmtToolInstallRow::Download);
    refreshSpinners();
    checkAllJobsComplete();
}

void LmtToolInstallView::onInstallStatusChanged(
    LmtOperationStatus status, QString featureId, QString version)
{
    m_model->setStatus(featureId, version, status, LmtToolInstallRow::Install);
    refreshSpinners();
    checkAllJobsComplete();
}

void LmtToolInstallView::onUninstallStatusChanged(
    LmtOperationStatus status, QString featureId, QString version)
{
    m_model->setStatus(featureId, version, status, LmtToolInstallRow::Uninstall);
    refreshSpinners();
    checkAllJobsComplete();
}

void LmtToolInstallView::checkAllJobsComplete()
{
    if (m_model->allSucceeded()) {
        qCInfo(lmtLocal).noquote() << kTag << "All jobs succeeded";
        Q_EMIT appendUILog(
            trLog("All tasks were completed successfully"), ConsoleMessageType::Auto);
        Q_EMIT allJobsComplete(true);
    } else if (m_model->allFinished()) {
        qCInfo(lmtLocal).noquote() << kTag << "All jobs ended, not all of them succeeded";
        Q_EMIT appendUILog(trLog("Failed to complete all tasks"), ConsoleMessageType::Auto);
        Q_EMIT allJobsComplete(false);
    }
}

} // namespace zendrel::lmt::setup
