#pragma once

#include <QDir>
#include <QString>

namespace zendrel::lmt::setup {

// The toolbox folders that hold the registry files of installed tools: below the per-user
// and below the machine-wide application-data folder. They need not exist.
QDir currentUserToolboxDirectory();
QDir allUsersToolboxDirectory();

// Where downloaded packages are kept: the current-user toolbox directory, or its "Tools"
// sub-folder when that exists; always absolute.
QDir downloadsDirectory();

// "file:///" on Windows, "file://" elsewhere.
QString fileUrlPrefix();

} // namespace zendrel::lmt::setup
