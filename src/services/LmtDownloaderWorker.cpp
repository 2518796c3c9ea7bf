#include "services/LmtDownloaderWorker.h"

#include "base/LmtFolders.h"
#include "model/LmtCoreToolModel.h"
#include "model/LmtOnlineToolVersion.h"
#include "services/ILmtLauncherServiceConnector.h"
#include "services/LmtProcessHandle.h"
#include "services/LmtVendorSite.h"
#include "shared_toolkit/Log.h"

#include <QFileInfo>

#include <exception>
#include <stdexcept>

namespace zendrel::lmt::setup {

namespace {

constexpr auto Tag = "[LmtDownloaderWorker]";
const QString ProgressMarker = QStringLiteral("% completed");

} // namespace

LmtDownloaderWorker::LmtDownloaderWorker(std::shared_ptr<ILmtLauncherServiceConnector> connector,
    std::shared_ptr<LmtCoreToolModel> model)
    : m_connector(std::move(connector))
    , m_model(std::move(model))
{
    connect(this, &ILmtDownloaderWorker::downloadPackageRequest, this,
        &LmtDownloaderWorker::onDownloadPackageRequested);
    qCDebug(lmtLocal).noquote() << Tag << "Created LmtDownloaderWorker object";
    m_thread.run(this, QStringLiteral("LmtDownloaderWorker"));
}

LmtDownloaderWorker::~LmtDownloaderWorker()
{
    qCDebug(lmtLocal).noquote() << Tag << "Destroying LmtDownloaderWorker object";
    m_thread.shutDown([this] {
        if (m_process)
            m_process->wait();
        m_process.reset();
    });
}

void LmtDownloaderWorker::downloadPackage(QString featureId, QString version)
{
    Q_EMIT downloadPackageRequest(featureId, version);
}

void LmtDownloaderWorker::onDownloadPackageRequested(QString featureId, QString version)
{
    try {
        // The downloader never sends a job to a busy worker; should it, the running download
        // must not lose its handle.
        if (m_running && m_process && !m_process->isFinished())
            throw std::runtime_error(
                trLog("Download of another package is still in progress").toStdString());
        qCDebug(lmtLocal).noquote()
            << Tag << "downloadPackage() called for:" << featureId << version;
        m_featureId = featureId;
        m_version = version;
        if (m_cancelRequested) {
            // Reported like a download killed by the Cancel.
            m_cancelled = true;
            onWorkerFinished(false, QString());
            return;
        }
        Q_EMIT appendUILog(trLog("Download package '%1' - '%2'").arg(featureId, version));

        m_process = m_connector->downloadTool(featureId, version);
        connect(m_process.get(), &LmtProcessHandle::stdOutReady, this,
            &LmtDownloaderWorker::onWorkerOutputReady);
        connect(m_process.get(), &LmtProcessHandle::finished, this,
            &LmtDownloaderWorker::onWorkerFinished);
        connect(
            m_process.get(), &LmtProcessHandle::stdErrorReady, this,
            [](const QString &text) { qCCritical(lmtLocal).noquote() << Tag << text; },
            Qt::DirectConnection);
        m_running = true;
        m_cancelled = false;
    } catch (const std::exception &e) {
        Q_EMIT error(
            GeneralError, trLog("Download package failed: %1").arg(QString::fromUtf8(e.what())));
        Q_EMIT workerFinished(false, featureId, version, this);
        m_running = false;
    }
}

void LmtDownloaderWorker::onWorkerOutputReady(QString output)
{
    if (!output.contains(ProgressMarker))
        return;
    // "42,5% completed": the service writes the decimal comma of its locale.
    QString percent = output.left(output.indexOf(QLatin1Char('%')));
    percent.replace(QLatin1Char(','), QLatin1Char('.'));
    Q_EMIT workerOutputReady(percent, m_featureId, m_version);
}

void LmtDownloaderWorker::onCancelRequested()
{
    qCInfo(lmtLocal).noquote() << Tag << "onCancelRequested()";
    m_cancelRequested = true;
    m_cancelled = true;
    if (m_process)
        m_process->kill();
    m_running = false;
}

QString LmtDownloaderWorker::expectedPackageFile() const
{
    const auto version = m_model ? m_model->findOnlineVersion(m_featureId, m_version) : nullptr;
    const auto package = version ? version->packageForCurrentOs() : nullptr;
    if (!package) {
        qCCritical(lmtLocal).noquote()
            << Tag << "No package found for version:" << m_featureId << m_version;
        return {};
    }
    const QString fileName = package->fileName();
    return fileName.isEmpty() ? QString() : downloadsDirectory().filePath(fileName);
}

void LmtDownloaderWorker::onWorkerFinished(bool status, QString errorStr)
{
    m_running = false;
    // The child has ended: mark the handle finished so that nobody waits for it again.
    if (m_process)
        m_process->wait();

    bool ok = status;
    if (ok) {
        // The service's exit code alone is not trusted: the installer needs the file.
        const QString file = expectedPackageFile();
        if (!file.isEmpty() && !QFileInfo::exists(file)) {
            qCCritical(lmtLocal).noquote() << Tag << "Downloaded package file is missing:" << file;
            ok = false;
        }
    }
    Q_EMIT workerFinished(ok, m_featureId, m_version, this);

    if (ok) {
        Q_EMIT appendUILog(
            trLog("Successfully downloaded package '%1' - '%2'").arg(m_featureId, m_version));
    } else if (!m_cancelled) {
        Q_EMIT error(GeneralError,
            errorStr.isEmpty()
                ? trLog("Download of '%1' - '%2' package failed.").arg(m_featureId, m_version)
                : trLog("Download of '%1' - '%2' package failed: %3")
                      .arg(m_featureId, m_version, errorStr));
        Q_EMIT error(GeneralError,
            trLog("Please check your network connection and retry. You also might not have access "
                  "to the software you are trying to install. Please check if you need to request "
                  "the access by going to <a href=\"%1\">%1</a>.")
                .arg(vendorToolPageUrl(m_featureId)));
    } else {
        Q_EMIT error(CancelledError,
            trLog("Download of '%1' - '%2' package failed: Process was cancelled")
                .arg(m_featureId, m_version));
    }
}

} // namespace zendrel::lmt::setup
