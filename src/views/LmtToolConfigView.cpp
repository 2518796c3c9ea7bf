#include "views/LmtToolConfigView.h"

#include "shared_toolkit/Log.h"
#include "views/LmtToolConfigCell.h"
#include "views/LmtToolConfigModel.h"
#include "views/LmtToolLinksCell.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

namespace zendrel::lmt::setup {

namespace {
const char *const kTag = "[LmtToolConfigView]";
constexpr int kKinds = 3;

QLabel *makeTitle(const QString &text, const QString &name, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    QFont bold = label->font();
    bold.setWeight(QFont::Bold);
    label->setFont(bold);
    return label;
}

QTableView *makeTable(const QString &name, QWidget *parent)
{
    auto *table = new QTableView(parent);
    table->setObjectName(name);
    table->setFocusPolicy(Qt::NoFocus);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setShowGrid(false);
    table->horizontalHeader()->setVisible(false);
    table->verticalHeader()->setVisible(false);
    table->horizontalHeader()->setMinimumSectionSize(24);
    return table;
}
} // namespace

LmtToolConfigView::LmtToolConfigView(QWidget *parent)
    : LmtSyncedTableView(parent)
{
    setObjectName(QStringLiteral("LmtToolConfigView"));
    resize(640, 480);

    m_verticalLayout = new QVBoxLayout(this);
    m_verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    m_verticalLayout->setContentsMargins(0, 0, 0, 0);

    m_lblToInstall = makeTitle(
        tr("The following packages will be installed:"), QStringLiteral("m_lblToInstall"), this);
    m_tableViewToInstall = makeTable(QStringLiteral("m_tableViewToInstall"), this);
    m_lblToUpdate = makeTitle(
        tr("The following packages will be updated:"), QStringLiteral("m_lblToUpdate"), this);
    m_tableViewToUpdate = makeTable(QStringLiteral("m_tableViewToUpdate"), this);
    m_lblToUninstall = makeTitle(tr("The following packages will be uninstalled:"),
        QStringLiteral("m_lblToUninstall"), this);
    m_tableViewToUninstall = makeTable(QStringLiteral("m_tableViewToUninstall"), this);
    for (QWidget *widget : { static_cast<QWidget *>(m_lblToInstall),
             static_cast<QWidget *>(m_tableViewToInstall), static_cast<QWidget *>(m_lblToUpdate),
             static_cast<QWidget *>(m_tableViewToUpdate), static_cast<QWidget *>(m_lblToUninstall),
             static_cast<QWidget *>(m_tableViewToUninstall) })
        m_verticalLayout->addWidget(widget);

    addTable(m_tableViewToInstall);
    addTable(m_tableViewToUpdate);
    addTable(m_tableViewToUninstall);
    setColumnPadding(LmtToolConfigModel::ColumnLinks, 20);

    for (int kind = 0; kind < kKinds; ++kind) {
        m_models[kind] = new LmtToolConfigModel(kind, this);
        table(kind)->setModel(m_models[kind]);
    }
}

LmtToolConfigModel *LmtToolConfigView::model(int kind) const
{
    return kind >= 0 && kind < kKinds ? m_models[kind] : nullptr;
}

QTableView *LmtToolConfigView::table(int kind) const
{
    switch (kind) {
    case LmtToolConfigModel::NewInstalls:
        return m_tableViewToInstall;
    case LmtToolConfigModel::Updates:
        return m_tableViewToUpdate;
    case LmtToolConfigModel::Uninstalls:
        return m_tableViewToUninstall;
    default:
        return nullptr;
    }
}

void LmtToolConfigView::updateToolsData(std::shared_ptr<LmtCoreToolModel> toolModel)
{
    qCDebug(lmtLocal).noquote() << kTag << ">> updateToolsData()";
    for (LmtToolConfigModel *model : m_models)
        model->updateToolsData(toolModel);
    syncTables();
    qCDebug(lmtLocal).noquote() << kTag << "<< updateToolsData()";
}

void LmtToolConfigView::syncTables()
{
    QLabel *const labels[kKinds] = { m_lblToInstall, m_lblToUpdate, m_lblToUninstall };
    for (int kind = 0; kind < kKinds; ++kind) {
        QTableView *view = table(kind);
        LmtToolConfigModel *tableModel = m_models[kind];
        for (int row = 0; row < tableModel->rowCount(); ++row) {
            const QModelIndex linksIndex = tableModel->index(row, LmtToolConfigModel::ColumnLinks);
            const QModelIndex configIndex
                = tableModel->index(row, LmtToolConfigModel::ColumnConfig);

            auto *links
                = new LmtToolLinksCell(linksIndex.data(Qt::UserRole).value<LmtToolLinksData>());
            view->setIndexWidget(linksIndex, links);
            auto *config
                = new LmtToolConfigCell(configIndex.data(Qt::UserRole).value<LmtToolConfigData>());
            view->setIndexWidget(configIndex, config);

            connect(config, &LmtToolConfigCell::dataChanged, tableModel,
                [tableModel, row](const LmtToolConfigData &data) {
                    tableModel->setData(tableModel->index(row, LmtToolConfigModel::ColumnConfig),
                        QVariant::fromValue(data), Qt::EditRole);
                });
            connect(links, &LmtToolLinksCell::getReleaseNotesOrLicenseData, this,
                &LmtToolConfigView::getReleaseNotesOrLicenseData);
            connect(this, &LmtToolConfigView::releaseNotesOrLicenseDataReadyIntnl, links,
                &LmtToolLinksCell::onReleaseNotesOrLicenseDataReady);
        }
        const bool hasRows = tableModel->rowCount() > 0;
        labels[kind]->setVisible(hasRows);
        view->setVisible(hasRows);
    }
    LmtSyncedTableView::syncTables();
}

void LmtToolConfigView::onReleaseNotesOrLicenseDataReady(QString data, QString url)
{
    Q_EMIT releaseNotesOrLicenseDataReadyIntnl(data, url);
}

} // namespace zendrel::lmt::setup
