#pragma once

#include <QString>

#include <exception>
#include <memory>

namespace zendrel::lmt::setup {

class LmtSetupController;

// Runs the whole program: identity, settings, log, services, main window, event loop.
// Any exception that escapes is shown in one critical message box; the exit code is then 1.
int runSetupApplication(int argc, char **argv);

// Builds the catalogue and every service with their real implementations, and the controller
// that owns them all.
std::shared_ptr<LmtSetupController> createSetupController();

// The message-box text for an exception that ended start-up or the event loop: a thrown
// character string or QString as it is, "Runtime error: %1" or "Exception: %1" with the
// description of a standard exception, otherwise "An unknown exception occurred".
QString startupFailureText(std::exception_ptr failure);

} // namespace zendrel::lmt::setup
