#include "common/platform/files.h"

#include <QFile>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

const int kStaleHandle = ESTALE;
const int kOverQuota = EDQUOT;
const int kHostDown = EHOSTDOWN;

namespace {

QByteArray local(const QString& path) {
    return QFile::encodeName(path);
}

int fd(Handle file) {
    return int(file);
}

// 0 when the call returned 0, else its errno.
int checked(int result) {
    return result == 0 ? 0 : errno;
}

Status statusFrom(const struct stat& st) {
    Status s;
    if (S_ISREG(st.st_mode))
        s.type = Type::File;
    else if (S_ISDIR(st.st_mode))
        s.type = Type::Folder;
    else if (S_ISLNK(st.st_mode))
        s.type = Type::Link;
    s.size = st.st_size;
    s.modified =
        QDateTime::fromMSecsSinceEpoch(qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000);
    s.permissions = uint(st.st_mode & 07777);
    return s;
}

int opened(int result, Handle* file) {
    *file = result;
    return result >= 0 ? 0 : errno;
}

} // namespace

int lookAt(const QString& path, Status* status) {
    struct stat st {};
    if (::lstat(local(path).constData(), &st) != 0)
        return errno;
    *status = statusFrom(st);
    return 0;
}

bool isFolder(const QString& path) {
    struct stat st {};
    return ::stat(local(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

int statusOf(Handle file, Status* status) {
    struct stat st {};
    if (::fstat(fd(file), &st) != 0)
        return errno;
    *status = statusFrom(st);
    return 0;
}

int openToRead(const QString& path, Handle* file) {
    return opened(::open(local(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC), file);
}

int createNew(const QString& path, bool ownerOnly, Handle* file) {
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    return opened(::open(local(path).constData(), flags, ownerOnly ? 0600 : 0666), file);
}

int readSome(Handle file, char* buffer, qint64 size, qint64* done) {
    ssize_t n;
    do
        n = ::read(fd(file), buffer, size_t(size));
    while (n < 0 && errno == EINTR);
    *done = n < 0 ? 0 : n;
    return n < 0 ? errno : 0;
}

int writeSome(Handle file, const char* bytes, qint64 size, qint64* done) {
    ssize_t n;
    do
        n = ::write(fd(file), bytes, size_t(size));
    while (n < 0 && errno == EINTR);
    *done = n < 0 ? 0 : n;
    return n < 0 ? errno : 0;
}

int setPermissions(Handle file, uint permissions) {
    return checked(::fchmod(fd(file), mode_t(permissions)));
}

int sync(Handle file) {
    return checked(::fsync(fd(file)));
}

int close(Handle file) {
    return checked(::close(fd(file)));
}

int replace(const QString& from, const QString& to) {
    return checked(::rename(local(from).constData(), local(to).constData()));
}

int removeFile(const QString& path) {
    return checked(::unlink(local(path).constData()));
}

int makeFolder(const QString& path) {
    return checked(::mkdir(local(path).constData(), 0777));
}

int syncFolder(const QString& folder) {
    const int dir = ::open(local(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return errno;
    const int code = checked(::fsync(dir));
    ::close(dir);
    return code;
}

int listFolder(const QString& folder, QStringList* names) {
    DIR* dir = ::opendir(local(folder).constData());
    if (!dir)
        return errno;
    names->clear();
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name != QLatin1String(".") && name != QLatin1String(".."))
            *names << name;
    }
    const int code = errno;
    ::closedir(dir);
    return code;
}

} // namespace platform
