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

// How long the check waits for a server that stops sending: the preferences dialog waits for it
// on the GUI thread, and a server that accepts the connection but never answers would
// otherwise freeze the window for good.
inline constexpr int UpdateSiteCheckTimeoutMs = 20000;

// Fetches url without a token to find out whether it is usable as the online registry.
LmtUpdateSiteStatus checkUpdateSiteUrl(const QString &url,
    const std::shared_ptr<ILmtDownloadManager> &downloadManager,
    int timeoutMs = UpdateSiteCheckTimeoutMs);

} // namespace zendrel::lmt::setup
