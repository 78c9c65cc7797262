#include "measurement/portfault.h"

#include "common/platform/devicefile.h"

namespace portfault {

DeviceLink::Failure classify(const QString& path, bool missing, bool denied, QString* group) {
    using F = DeviceLink::Failure;
    const platform::Node node = missing ? platform::Node::Missing : platform::deviceNode(path);
    if (node == platform::Node::Missing)
        return F::Missing;
    if (node != platform::Node::CharacterDevice)
        return F::NotSerial;
    if (platform::readDenied(path)) {
        if (group)
            *group = platform::owningGroup(path);
        return F::Permission;
    }
    // A lock held by another program is also reported as a permission error.
    if (denied)
        return F::Busy;
    return platform::opensAsTerminal(path) ? F::Busy : F::NotSerial;
}

} // namespace portfault
