#pragma once

#include "common/LmtStandIns.h"
#include "services/LmtDownloadSettings.h"

namespace lmttest {

// The two stand-ins an end-to-end test runs the program against: the vendor on the demo
// catalogue, which is the program's update site, and the launcher service installed where the
// program looks for it. Create it after the sandbox; the service stops when it goes.
struct StandInPair {
    VendorStandIn vendor;
    const QString launcher = installLauncherService();

    ~StandInPair() { runLauncherService(launcher, { QStringLiteral("-stop") }); }

    // (Re)starts both, the vendor with the given arguments (a fault) and the service signed in
    // there as the given account; it reads its config when it starts. Empty, or what failed.
    QString start(const QStringList &vendorArguments = {},
        const QString &email = QString::fromLatin1(kDemoEmail),
        const QString &password = QString::fromLatin1(kDemoPassword))
    {
        vendor.stop();
        runLauncherService(launcher, { QStringLiteral("-stop") });
        QString error;
        if (!vendor.start(vendorArguments, &error))
            return error;
        zendrel::lmt::setup::setKorOnlineUrl(vendor.registryUrl());
        return writeLauncherConfig(vendor.url(), email, password)
                && runLauncherService(launcher) == 0
            ? QString()
            : QStringLiteral("the launcher service did not start");
    }
};

} // namespace lmttest
