#include "common/fileaccess.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fileaccess {

namespace {

FaultHook& hook() {
    static FaultHook h;
    return h;
}

// The injected errno for this call, set as the system would set it; 0 to go on.
int injected(Call call, const QString& path) {
    const FaultHook& h = hook();
    const int code = h ? h(call, path) : 0;
    if (code)
        errno = code;
    return code;
}

QByteArray local(const QString& path) {
    return QFile::encodeName(path);
}

QString failure(const QString& what, const QString& path, const QString& why) {
    return QStringLiteral("%1 \"%2\": %3").arg(what, path, why);
}

void say(QString* error, const QString& text) {
    if (error)
        *error = text;
}

Kind kindOf(mode_t mode) {
    if (S_ISREG(mode))
        return Kind::File;
    if (S_ISDIR(mode))
        return Kind::Folder;
    if (S_ISLNK(mode))
        return Kind::Link;
    return Kind::Other;
}

// Why something found where a regular file belongs cannot be read or written.
QString kindReason(Kind kind) {
    switch (kind) {
    case Kind::Folder:
        return QStringLiteral("на месте файла папка");
    case Kind::Link:
        return QStringLiteral("на месте файла символическая ссылка, а через ссылки программа не "
                              "читает и не пишет");
    default:
        return QStringLiteral("на месте файла устройство, канал или сокет");
    }
}

bool isMissing(int code) {
    return code == ENOENT || code == ENOTDIR;
}

int closeChecked(int fd) {
    // A share may report a failed write only when the file is closed.
    return ::close(fd) == 0 ? 0 : errno;
}

// Until the folder is synced a power cut can bring the old file back. Once renamed, the new
// content is what every reader sees and the old cannot be put back, so a share that refuses
// to sync a folder does not turn a done change into a reported failure.
void syncFolderOf(const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    if (injected(Call::Sync, folder))
        return;
    const int fd = ::open(local(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    (void)::fsync(fd);
    ::close(fd);
}

QString temporaryName(const QString& path) {
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix;
    for (int k = 0; k < 6; ++k)
        suffix += QLatin1Char(kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)]);
    const QFileInfo info(path);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".taven-") + suffix;
}

// Creates the temporary without following a link and without taking an existing name.
int openTemporary(const QString& path, mode_t mode, QString* temporary) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        *temporary = temporaryName(path);
        if (injected(Call::Open, *temporary))
            return -1;
        const int fd =
            ::open(local(*temporary).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

int writeAll(int fd, const QString& temporary, const QByteArray& bytes) {
    qint64 done = 0;
    while (done < bytes.size()) {
        if (injected(Call::Write, temporary))
            return errno;
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        done += n;
    }
    return 0;
}

// Writes, syncs and closes the temporary; the errno of the first failure, else 0.
int fillTemporary(int fd, const QString& temporary, const QByteArray& bytes, const Look& old) {
    int code = writeAll(fd, temporary, bytes);
    // A replaced card keeps who may read it; a share that cannot keep modes keeps its own.
    if (!code && old.kind == Kind::File)
        (void)::fchmod(fd, mode_t(old.permissions));
    if (!code && (injected(Call::Sync, temporary) || ::fsync(fd) != 0))
        code = errno;
    const int closed = closeChecked(fd);
    return code ? code : closed;
}

QDateTime timeOf(const struct stat& st) {
    return QDateTime::fromMSecsSinceEpoch(qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000);
}

// The errno of a failed read, else 0.
int readAll(int fd, const QString& path, qsizetype expected, QByteArray* bytes) {
    bytes->reserve(expected);
    char buffer[65536];
    for (;;) {
        if (injected(Call::Read, path))
            return errno;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return 0;
        bytes->append(buffer, n);
    }
}

} // namespace

void setFaultHook(FaultHook h) {
    hook() = std::move(h);
}

QString reason(int code) {
    struct Words {
        int codes[7]; // the rest 0
        const char* words;
    };
    static const Words kWords[] = {
        {{ENOENT}, "нет такого файла или папки"},
        {{ENOTDIR}, "часть пути не является папкой"},
        {{EACCES, EPERM}, "нет прав"},
        {{ENOSPC, EDQUOT}, "нет места на диске"},
        {{EROFS}, "файловая система доступна только для чтения"},
        {{EIO}, "ошибка ввода-вывода"},
        {{ESTALE}, "сетевой файл стал недоступен"},
        {{EFBIG}, "файл слишком велик"},
        {{ENAMETOOLONG}, "слишком длинное имя"},
        {{EMFILE, ENFILE}, "открыто слишком много файлов"},
        {{EBUSY, ETXTBSY}, "файл занят"},
        {{ENOMEM}, "недостаточно памяти"},
        {{EEXIST}, "файл уже существует"},
        {{ENOTEMPTY}, "папка не пуста"},
        {{ETIMEDOUT, EHOSTDOWN, EHOSTUNREACH, ENETDOWN, ENETUNREACH, ECONNRESET, ECONNABORTED},
         "нет связи с сетевым диском"},
    };
    if (code == EISDIR)
        return kindReason(Kind::Folder);
    if (code == ELOOP)
        return kindReason(Kind::Link);
    if (code == 0)
        return kindReason(Kind::Other);
    for (const Words& w : kWords)
        if (std::find(std::begin(w.codes), std::end(w.codes), code) != std::end(w.codes))
            return QString::fromUtf8(w.words);
    return QStringLiteral("системная ошибка с кодом %1").arg(code);
}

QString readFailure(const QString& path, int code) {
    const auto named = [&path](const QString& what) { return QStringLiteral("%1 \"%2\"").arg(what, path); };
    if (isMissing(code))
        return named(QStringLiteral("Не найден файл"));
    if (code == EISDIR)
        return named(QStringLiteral("Вместо файла папка"));
    // A folder on the way that cannot be searched hides whether the file is there at all.
    if (code == EACCES || code == EPERM)
        return named(look(path).code == EACCES ? QStringLiteral("Нет прав на доступ к папке файла")
                                               : QStringLiteral("Нет прав на чтение файла"));
    return failure(QStringLiteral("Не удается прочитать файл"), path, reason(code));
}

Look look(const QString& path) {
    Look l;
    struct stat st {};
    if (injected(Call::Look, path) || ::lstat(local(path).constData(), &st) != 0) {
        const int code = errno;
        if (isMissing(code))
            return l;
        l.kind = Kind::Failed;
        l.code = code;
        l.error = failure(QStringLiteral("Не удается проверить файл"), path, reason(code));
        return l;
    }
    l.kind = kindOf(st.st_mode);
    l.size = st.st_size;
    l.modified = timeOf(st);
    l.permissions = uint(st.st_mode & 07777);
    return l;
}

std::optional<QByteArray> read(const QString& path, QString* error, bool* missing, int* code) {
    const auto fail = [&](int why) -> std::optional<QByteArray> {
        if (missing)
            *missing = isMissing(why);
        if (code)
            *code = why;
        say(error, readFailure(path, why));
        return std::nullopt;
    };
    if (missing)
        *missing = false;
    // Non-blocking, so a pipe put in the file's place cannot hang the program at open.
    if (injected(Call::Open, path))
        return fail(errno);
    const int fd = ::open(local(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(errno);
    struct stat st {};
    int why = ::fstat(fd, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : S_ISREG(st.st_mode) ? 0 : -1;
    QByteArray bytes;
    if (why == 0)
        why = readAll(fd, path, qsizetype(st.st_size), &bytes);
    ::close(fd);
    if (why)
        return fail(why < 0 ? 0 : why);
    return bytes;
}

bool write(const QString& path, const QByteArray& bytes, QString* error) {
    const QString what = QStringLiteral("Не удается записать файл");
    const Look old = look(path);
    if (old.kind == Kind::Failed) {
        say(error, failure(what, path, reason(old.code)));
        return false;
    }
    if (old.kind != Kind::Missing && old.kind != Kind::File) {
        say(error, failure(what, path, kindReason(old.kind)));
        return false;
    }
    QString temporary;
    const int fd = openTemporary(path, 0666, &temporary);
    if (fd < 0) {
        say(error, failure(what, path, reason(errno)));
        return false;
    }
    int code = fillTemporary(fd, temporary, bytes, old);
    if (!code && (injected(Call::Rename, path) ||
                  ::rename(local(temporary).constData(), local(path).constData()) != 0))
        code = errno;
    if (code) {
        if (!injected(Call::Remove, temporary))
            ::unlink(local(temporary).constData());
        say(error, failure(what, path, reason(code)));
        return false;
    }
    syncFolderOf(path);
    return true;
}

bool remove(const QString& path, QString* error, bool* missing) {
    const QString what = QStringLiteral("Не удается удалить файл");
    if (missing)
        *missing = false;
    const Look found = look(path);
    if (found.kind == Kind::Failed) {
        say(error, failure(what, path, reason(found.code)));
        return false;
    }
    if (found.kind == Kind::Missing) {
        if (missing)
            *missing = true;
        return true;
    }
    if (found.kind != Kind::File) {
        say(error, failure(what, path, kindReason(found.kind)));
        return false;
    }
    if (injected(Call::Remove, path) || ::unlink(local(path).constData()) != 0) {
        // Gone meanwhile (another workstation removed it): what was asked is done.
        const int code = errno;
        const bool gone = code == ENOENT;
        if (missing)
            *missing = gone;
        if (!gone)
            say(error, failure(what, path, reason(code)));
        return gone;
    }
    syncFolderOf(path);
    return true;
}

bool makeFolder(const QString& path, QString* error) {
    const QString clean = QFileInfo(path).absoluteFilePath();
    const QStringList parts = clean.split(u'/', Qt::SkipEmptyParts);
    QString current;
    for (const QString& part : parts) {
        current += u'/' + part;
        if (!injected(Call::MakeFolder, current) && ::mkdir(local(current).constData(), 0777) == 0)
            continue;
        const int code = errno;
        struct stat st {};
        // A folder already there, or a link to one the user made, is what was asked for.
        if (::stat(local(current).constData(), &st) == 0 && S_ISDIR(st.st_mode))
            continue;
        say(error, failure(QStringLiteral("Не удается создать папку"), current,
                           code == EEXIST ? QStringLiteral("на месте папки файл") : reason(code)));
        return false;
    }
    return true;
}

std::optional<QStringList> list(const QString& folder, QString* error) {
    DIR* dir = nullptr;
    if (!injected(Call::List, folder))
        dir = ::opendir(local(folder).constData());
    if (!dir) {
        say(error, failure(QStringLiteral("Не удается прочитать папку"), folder, reason(errno)));
        return std::nullopt;
    }
    QStringList names;
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name != QLatin1String(".") && name != QLatin1String(".."))
            names << name;
    }
    const int code = errno;
    ::closedir(dir);
    if (code) {
        say(error, failure(QStringLiteral("Не удается прочитать папку"), folder, reason(code)));
        return std::nullopt;
    }
    return names;
}

std::optional<QDateTime> folderTime(const QString& folder, int* code) {
    QString probe;
    const int fd = openTemporary(folder + QStringLiteral("/taven-clock"), 0600, &probe);
    struct stat st {};
    const int why = fd < 0 ? errno : ::fstat(fd, &st) == 0 ? 0 : errno;
    if (fd >= 0) {
        ::close(fd);
        if (!injected(Call::Remove, probe))
            ::unlink(local(probe).constData());
    }
    if (code)
        *code = why;
    return why ? std::nullopt : std::optional<QDateTime>(timeOf(st));
}

bool isOwnTemporary(const QString& fileName) {
    static const QRegularExpression pattern(QStringLiteral("^\\..+\\.taven-[A-Za-z0-9]{6}$"));
    return pattern.match(fileName).hasMatch();
}

} // namespace fileaccess
