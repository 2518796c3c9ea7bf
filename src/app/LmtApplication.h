#pragma once

#include "base/LmtIdentity.h"

namespace zendrel::lmt::setup {

// Gives the Qt application its identity: version text, locale, name, display name, icon and
// font. Throws std::runtime_error("Invalid version") when the numbers do not form a version;
// the version text has already been set by then.
void applicationSetup(const LmtVersionNumbers &version = productVersionNumbers());

} // namespace zendrel::lmt::setup
