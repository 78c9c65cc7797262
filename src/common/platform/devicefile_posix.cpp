#include "common/platform/devicefile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

Node deviceNode(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return Node::Missing;
    return S_ISCHR(st.st_mode) ? Node::CharacterDevice : Node::Other;
}

bool readDenied(const QString& path) {
    return ::access(QFile::encodeName(path).constData(), R_OK) != 0 && errno == EACCES;
}

QString owningGroup(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    const group* g = ::getgrgid(st.st_gid);
    return g ? QString::fromLocal8Bit(g->gr_name) : QString();
}

bool opensAsTerminal(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return true; // cannot tell; not worth a wrong word
    const bool tty = ::isatty(fd) == 1;
    ::close(fd);
    return tty;
}

} // namespace platform
