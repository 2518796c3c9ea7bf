#pragma once

namespace zendrel::lmt::setup {

// What the self-updater needs to know of the running program's own installation. The local
// registry reader learns it while it reads the installed tools' registry files.
class ILmtSetupInstallation
{
public:
    virtual ~ILmtSetupInstallation() = default;

    // The LmtToolInstallScope value of the directory in which this program's registry file was
    // found; 0 (current user) when none was.
    virtual int setupInstallScope() const = 0;
};

} // namespace zendrel::lmt::setup
