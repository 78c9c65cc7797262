#pragma once
// The system's request that the program end (logout, shutdown, kill), handed to the event
// loop instead of acted on where the system raises it.
#include <functional>

class QObject;

namespace platform {

// Calls `then` on `owner`'s event loop whenever the system asks the program to end. Only the
// first call arranges anything; false when such requests cannot be caught.
bool onEndRequest(QObject* owner, std::function<void()> then);

} // namespace platform
