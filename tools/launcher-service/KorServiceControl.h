#pragma once

namespace zendrel::lmt::korservice {

// The life of the per-user service: start it once, tell its port, stop it, and the service
// process itself.
class KorServiceControl
{
public:
    // Starts the service in a process of its own unless this user's service already answers;
    // returns once the new service answers (0) or could not be started (1).
    int start() const;
    // Prints the port of the running service; 1 when none runs.
    int printPort() const;
    // Asks the running service to quit; 0 also when none runs.
    int stop() const;
    // The service process: listens, records itself and runs until stopped or replaced.
    int serve() const;
};

} // namespace zendrel::lmt::korservice
