#include "measurement/portfault.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace portfault {

namespace {

QString groupOf(const struct stat& st) {
    const group* g = ::getgrgid(st.st_gid);
    return g ? QString::fromLocal8Bit(g->gr_name) : QString();
}

bool isTerminal(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return true; // cannot tell; not worth a wrong word
    const bool tty = ::isatty(fd) == 1;
    ::close(fd);
    return tty;
}

} // namespace

DeviceLink::Failure classify(const QString& path, bool missing, bool denied, QString* group) {
    using F = DeviceLink::Failure;
    const QByteArray local = QFile::encodeName(path);
    struct stat st {};
    if (missing || ::stat(local.constData(), &st) != 0)
        return F::Missing;
    if (!S_ISCHR(st.st_mode))
        return F::NotSerial;
    if (::access(local.constData(), R_OK) != 0 && errno == EACCES) {
        if (group)
            *group = groupOf(st);
        return F::Permission;
    }
    // A lock held by another program is also reported as a permission error.
    if (denied)
        return F::Busy;
    return isTerminal(local) ? F::Busy : F::NotSerial;
}

} // namespace portfault
