#include "services/LmtUpdateSiteCheck.h"

#include "services/ILmtDownloadManager.h"
#include "services/NetworkException.h"
#include "shared_toolkit/UrlRedaction.h"

#include <QCoreApplication>

#include <stdexcept>

namespace zendrel::lmt::setup {

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("LmtDownloadManager", text);
}
} // namespace

LmtUpdateSiteStatus checkUpdateSiteUrl(
    const QString &url, const std::shared_ptr<ILmtDownloadManager> &downloadManager, int timeoutMs)
{
    LmtUpdateSiteStatus status { 0, tr("Success!") };
    // The message is logged as well as shown: it names the site without its password.
    const QString shownUrl = shared_toolkit::withoutUrlPasswords(url);
    try {
        downloadManager->getData(QUrl(url), nullptr, timeoutMs);
    } catch (const NetworkException &e) {
        status = { -1,
            tr("Unable to access update site URL '%1'. %2")
                .arg(shownUrl, QString::fromUtf8(e.what())) };
    } catch (const std::runtime_error &e) {
        status = { -1,
            tr("Unable to access update site URL '%1'. %2. Try again later.")
                .arg(shownUrl, QString::fromUtf8(e.what())) };
    }
    return status;
}

} // namespace zendrel::lmt::setup
