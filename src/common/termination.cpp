#include "common/termination.h"

#include "common/platform/endrequest.h"

#include <QCoreApplication>

namespace termination {

bool quitOnSignals(QCoreApplication* app) {
    return platform::onEndRequest(app, [] { QCoreApplication::quit(); });
}

} // namespace termination
