#pragma once

namespace zendrel::lmt::setup {

// Install scope: keys the registry directories and chooses the installer switch.
enum class LmtToolInstallScope {
    CurrentUser = 0,
    AllUsers = 1,
};

} // namespace zendrel::lmt::setup
