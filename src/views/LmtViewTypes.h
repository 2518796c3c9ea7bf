#pragma once

namespace zendrel::lmt::setup {

// Registers the value types of the views (configuration and links data) under their
// qualified and unqualified names. Call at start-up next to registerMetaTypes().
void registerViewMetaTypes();

} // namespace zendrel::lmt::setup
