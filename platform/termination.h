#pragma once
#include <functional>

namespace platform {

// Runs `handler` on the user-interface thread, at the next turn of the event
// loop or the next pump, when the process is asked to end: SIGTERM (the
// desktop session ends, `kill`), SIGINT (Ctrl+C in a terminal) or SIGHUP
// (its terminal closed). The handler is expected to end the process; a
// later call replaces it. Needs a QCoreApplication.
void on_termination_request(std::function<void()> handler);

}  // namespace platform
