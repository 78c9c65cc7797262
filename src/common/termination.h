#pragma once
// SIGTERM and SIGHUP (logout, shutdown, kill) end the event loop instead of the process, so
// the program closes as it does on its own: request-to-send off, port and its lock released.
class QCoreApplication;

namespace termination {

// Call once, after the application object exists. False when the signals cannot be caught.
bool quitOnSignals(QCoreApplication* app);

} // namespace termination
