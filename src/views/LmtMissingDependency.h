#pragma once

#include <QList>

#include <memory>

namespace zendrel::lmt::setup {

class LmtToolVersion;

// A selected version one of whose dependencies is not met, with the shown but unselected
// version that would meet it (null when no shown version does).
struct LmtMissingDependency {
    std::shared_ptr<LmtToolVersion> version;
    std::shared_ptr<LmtToolVersion> candidate;
};

using LmtMissingDependencies = QList<LmtMissingDependency>;

} // namespace zendrel::lmt::setup
