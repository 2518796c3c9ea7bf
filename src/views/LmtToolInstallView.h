#pragma once

#include "services/LmtServiceTypes.h"
#include "shared_toolkit/ConsoleMessageType.h"
#include "shared_toolkit/LmtTr.h"

#include <QWidget>

#include <memory>

class QLabel;
class QTableView;
class QVBoxLayout;

namespace zendrel::lmt::setup {

class LmtCoreToolModel;
class LmtToolInstallModel;

// The install page: one row per package job with a spinner and its status. It only shows
// what the download, install and uninstall services report, and announces when every job has
// ended.
class LmtToolInstallView : public QWidget
{
    Q_OBJECT
    LMT_TR_CONTEXT(LmtToolInstallView)

public:
    explicit LmtToolInstallView(QWidget *parent = nullptr);

    LmtToolInstallModel *model() const { return m_model; }
    QTableView *table() const { return m_tableViewToolsProgress; }

Q_SIGNALS:
    void appendUILog(QString text,
        zendrel::lmt::shared_toolkit::ConsoleMessageType type
        = zendrel::lmt::shared_toolkit::ConsoleMessageType::Auto);
    void allJobsComplete(bool success);

public Q_SLOTS:
    void updateToolsData(std::shared_ptr<LmtCoreToolModel> toolModel_p);
    void onDownloadStatusChanged(LmtOperationStatus status, QString featureId, QString version);
    void onDownloadProgressChanged(float progress, QString featureId, QString version);
    void onInstallStatusChanged(LmtOperationStatus status, QString featureId, QString version);
    void onUninstallStatusChanged(LmtOperationStatus status, QString featureId, QString version);

private:
    void refreshSpinners();
    // Announces the outcome once every job has ended (again after every later status).
    void checkAllJobsComplete();

    QVBoxLayout *m_verticalLayout = nullptr;
    QLabel *m_lblProgress = nullptr;
    QTableView *m_tableViewToolsProgress = nullptr;
    LmtToolInstallModel *m_model = nullptr;
};

} // namespace zendrel::lmt::setup
