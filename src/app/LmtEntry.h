#pragma once

namespace zendrel::lmt::setup {

// Runs the whole program: identity, settings, log, services, main window, event loop.
// Any exception that escapes is shown in one critical message box; the exit code is then 1.
int runSetupApplication(int argc, char **argv);

} // namespace zendrel::lmt::setup
