#pragma once

#include "shared_toolkit/ConsoleMessageType.h"
#include "shared_toolkit/LmtTr.h"
#include "views/LmtSyncedTableView.h"

#include <memory>

class QLabel;
class QTableView;
class QVBoxLayout;

namespace zendrel::lmt::setup {

class LmtCoreToolModel;
class LmtToolConfigModel;

// The configuration page: three stacked tables of the packages that will be installed,
// updated and uninstalled, each row with its document links and, where allowed, a
// "Customize installation" button. Release notes and licences are fetched elsewhere: the
// view only relays the requests and the answers.
class LmtToolConfigView : public LmtSyncedTableView
{
    Q_OBJECT
    LMT_TR_CONTEXT(LmtToolConfigView)

public:
    explicit LmtToolConfigView(QWidget *parent = nullptr);

    // The model of a table: 0 new installs, 1 updates, 2 uninstalls; null for other values.
    LmtToolConfigModel *model(int kind) const;
    QTableView *table(int kind) const;

    // Puts the link and configuration cells into every row, hides empty tables and lines
    // the tables up.
    void syncTables() override;

Q_SIGNALS:
    void appendUILog(QString text,
        zendrel::lmt::shared_toolkit::ConsoleMessageType type
        = zendrel::lmt::shared_toolkit::ConsoleMessageType::Auto);
    // A links cell wants the document at url; answered by onReleaseNotesOrLicenseDataReady.
    void getReleaseNotesOrLicenseData(QString url);
    // Internal fan-out of an answer to every links cell.
    void releaseNotesOrLicenseDataReadyIntnl(QString data, QString url);

public Q_SLOTS:
    void updateToolsData(std::shared_ptr<LmtCoreToolModel> toolModel);
    void onReleaseNotesOrLicenseDataReady(QString data, QString url);

private:
    QVBoxLayout *m_verticalLayout = nullptr;
    QLabel *m_lblToInstall = nullptr;
    QTableView *m_tableViewToInstall = nullptr;
    QLabel *m_lblToUpdate = nullptr;
    QTableView *m_tableViewToUpdate = nullptr;
    QLabel *m_lblToUninstall = nullptr;
    QTableView *m_tableViewToUninstall = nullptr;
    LmtToolConfigModel *m_models[3] = {};
};

} // namespace zendrel::lmt::setup
