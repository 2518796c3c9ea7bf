#pragma once

class QSettings;

namespace zendrel::lmt::setup {

// The process-wide INI settings: <generic data location>/Zendrel_Technologies_AG/Lumetra/
// <sanitised application name>.ini. Created on first use; the main thread's object lives
// until process exit. Each thread gets an object of its own on that file: keep the reference
// on the thread that asked for it.
QSettings &applicationSettings();

} // namespace zendrel::lmt::setup
