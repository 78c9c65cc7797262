#pragma once
// Why a serial port would not open, found on the device file itself: Qt reports a missing
// permission and a port locked by another program alike, and a plain file as an unknown error.
#include "measurement/devicelink.h"

#include <QString>

namespace portfault {

// `missing` and `denied` are what the open reported; `group` receives the group owning the
// device file when permission is what is missing.
DeviceLink::Failure classify(const QString& path, bool missing, bool denied, QString* group);

} // namespace portfault
