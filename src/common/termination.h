#pragma once
// The system's request to end (logout, shutdown, kill: SIGTERM and SIGHUP on Linux) ends the
// event loop instead of the process, so the program closes as it does on its own:
// request-to-send off, port and its lock released.
class QCoreApplication;

namespace termination {

// Call once, after the application object exists. False when the requests cannot be caught.
bool quitOnSignals(QCoreApplication* app);

} // namespace termination
