#pragma once

#include <QString>

#include <memory>

namespace zendrel::lmt::setup {

class ILmtDownloadManager;

// Outcome of probing an update-site URL: code 0 with "Success!", or -1 with the user text.
struct LmtUpdateSiteStatus {
    int code = 0;
    QString message;

    bool succeeded() const { return code == 0; }
};

// Fetches url without a token to find out whether it is usable as the online registry.
LmtUpdateSiteStatus checkUpdateSiteUrl(
    const QString &url, const std::shared_ptr<ILmtDownloadManager> &downloadManager);

} // namespace zendrel::lmt::setup
