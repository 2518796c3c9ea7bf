#pragma once

#include "services/LmtServiceTypes.h"

#include <memory>

namespace zendrel::lmt::setup {

class LmtToolVersion;

// One package job of the install page: a download followed by an installation for an offered
// version, an uninstall for an installed one.
struct LmtToolInstallRow {
    enum Kind : qint32 {
        Download = 0,
        Install = 1,
        Uninstall = 2,
    };

    explicit LmtToolInstallRow(std::shared_ptr<LmtToolVersion> version);

    // Ended for good; a succeeded download still waits for its installation.
    bool isFinished() const;
    bool isSucceeded() const;

    std::shared_ptr<LmtToolVersion> version;
    float progress = 0;
    qint32 kind = Download;
    LmtOperationStatus status = Pending;
};

} // namespace zendrel::lmt::setup
