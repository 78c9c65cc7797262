#include "common/fileaccess.h"

#include "common/platform/files.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>

namespace fileaccess {

namespace {

FaultHook& hook() {
    static FaultHook h;
    return h;
}

// The errno injected for this call; 0 to go on and make it.
int injected(Call call, const QString& path) {
    const FaultHook& h = hook();
    return h ? h(call, path) : 0;
}

// The errno of a failed call, made unless the hook fails it first.
template <typename Make> int called(Call call, const QString& path, Make make) {
    const int code = injected(call, path);
    return code ? code : make();
}

QString failure(const QString& what, const QString& path, const QString& why) {
    return QStringLiteral("%1 \"%2\": %3").arg(what, path, why);
}

void say(QString* error, const QString& text) {
    if (error)
        *error = text;
}

Kind kindOf(platform::Type type) {
    switch (type) {
    case platform::Type::File:
        return Kind::File;
    case platform::Type::Folder:
        return Kind::Folder;
    case platform::Type::Link:
        return Kind::Link;
    default:
        return Kind::Other;
    }
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

// Until the folder is synced a power cut can bring the old file back. Once renamed, the new
// content is what every reader sees and the old cannot be put back, so a share that refuses
// to sync a folder does not turn a done change into a reported failure.
void syncFolderOf(const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    (void)called(Call::Sync, folder, [&folder] { return platform::syncFolder(folder); });
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
int openTemporary(const QString& path, bool ownerOnly, QString* temporary, platform::Handle* file) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        *temporary = temporaryName(path);
        if (const int code = injected(Call::Open, *temporary))
            return code;
        const int code = platform::createNew(*temporary, ownerOnly, file);
        if (code != EEXIST)
            return code;
    }
    return EEXIST;
}

int writeAll(platform::Handle file, const QString& temporary, const QByteArray& bytes) {
    qint64 done = 0;
    while (done < bytes.size()) {
        qint64 n = 0;
        const int code = called(Call::Write, temporary, [&] {
            return platform::writeSome(file, bytes.constData() + done, bytes.size() - done, &n);
        });
        if (code || n == 0)
            return code ? code : ENOSPC;
        done += n;
    }
    return 0;
}

// Writes, syncs and closes the temporary; the errno of the first failure, else 0.
int fillTemporary(platform::Handle file, const QString& temporary, const QByteArray& bytes, const Look& old) {
    int code = writeAll(file, temporary, bytes);
    // A replaced card keeps who may read it; a share that cannot keep modes keeps its own.
    if (!code && old.kind == Kind::File)
        (void)platform::setPermissions(file, old.permissions);
    if (!code)
        code = called(Call::Sync, temporary, [file] { return platform::sync(file); });
    const int closed = platform::close(file);
    return code ? code : closed;
}

// The errno of a failed read, else 0.
int readAll(platform::Handle file, const QString& path, qsizetype expected, QByteArray* bytes) {
    bytes->reserve(expected);
    char buffer[65536];
    for (;;) {
        qint64 n = 0;
        const int code =
            called(Call::Read, path, [&] { return platform::readSome(file, buffer, sizeof buffer, &n); });
        if (code || n == 0)
            return code;
        bytes->append(buffer, n);
    }
}

void removeTemporary(const QString& temporary) {
    (void)called(Call::Remove, temporary, [&] { return platform::removeFile(temporary); });
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
        {{ENOSPC, platform::kOverQuota}, "нет места на диске"},
        {{EROFS}, "файловая система доступна только для чтения"},
        {{EIO}, "ошибка ввода-вывода"},
        {{platform::kStaleHandle}, "сетевой файл стал недоступен"},
        {{EFBIG}, "файл слишком велик"},
        {{ENAMETOOLONG}, "слишком длинное имя"},
        {{EMFILE, ENFILE}, "открыто слишком много файлов"},
        {{EBUSY, ETXTBSY}, "файл занят"},
        {{ENOMEM}, "недостаточно памяти"},
        {{EEXIST}, "файл уже существует"},
        {{ENOTEMPTY}, "папка не пуста"},
        {{ETIMEDOUT, platform::kHostDown, EHOSTUNREACH, ENETDOWN, ENETUNREACH, ECONNRESET, ECONNABORTED},
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
    platform::Status st;
    const int code = called(Call::Look, path, [&] { return platform::lookAt(path, &st); });
    if (code) {
        if (isMissing(code))
            return l;
        l.kind = Kind::Failed;
        l.code = code;
        l.error = failure(QStringLiteral("Не удается проверить файл"), path, reason(code));
        return l;
    }
    l.kind = kindOf(st.type);
    l.size = st.size;
    l.modified = st.modified;
    l.permissions = st.permissions;
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
    platform::Handle file = platform::kNoHandle;
    if (const int why = called(Call::Open, path, [&] { return platform::openToRead(path, &file); }))
        return fail(why);
    platform::Status st;
    int why = platform::statusOf(file, &st);
    if (!why && st.type != platform::Type::File)
        why = st.type == platform::Type::Folder ? EISDIR : -1;
    QByteArray bytes;
    if (why == 0)
        why = readAll(file, path, qsizetype(st.size), &bytes);
    (void)platform::close(file);
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
    platform::Handle file = platform::kNoHandle;
    if (const int code = openTemporary(path, false, &temporary, &file)) {
        say(error, failure(what, path, reason(code)));
        return false;
    }
    int code = fillTemporary(file, temporary, bytes, old);
    if (!code)
        code = called(Call::Rename, path, [&] { return platform::replace(temporary, path); });
    if (code) {
        removeTemporary(temporary);
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
    if (const int code = called(Call::Remove, path, [&] { return platform::removeFile(path); })) {
        // Gone meanwhile (another workstation removed it): what was asked is done.
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
        const int code = called(Call::MakeFolder, current, [&] { return platform::makeFolder(current); });
        // A folder already there, or a link to one the user made, is what was asked for.
        if (!code || platform::isFolder(current))
            continue;
        say(error, failure(QStringLiteral("Не удается создать папку"), current,
                           code == EEXIST ? QStringLiteral("на месте папки файл") : reason(code)));
        return false;
    }
    return true;
}

std::optional<QStringList> list(const QString& folder, QString* error) {
    QStringList names;
    if (const int code = called(Call::List, folder, [&] { return platform::listFolder(folder, &names); })) {
        say(error, failure(QStringLiteral("Не удается прочитать папку"), folder, reason(code)));
        return std::nullopt;
    }
    return names;
}

std::optional<QDateTime> folderTime(const QString& folder, int* code) {
    QString probe;
    platform::Handle file = platform::kNoHandle;
    platform::Status st;
    int why = openTemporary(folder + QStringLiteral("/taven-clock"), true, &probe, &file);
    if (!why) {
        why = platform::statusOf(file, &st);
        (void)platform::close(file);
        removeTemporary(probe);
    }
    if (code)
        *code = why;
    return why ? std::nullopt : std::optional<QDateTime>(st.modified);
}

bool isOwnTemporary(const QString& fileName) {
    static const QRegularExpression pattern(QStringLiteral("^\\..+\\.taven-[A-Za-z0-9]{6}$"));
    return pattern.match(fileName).hasMatch();
}

} // namespace fileaccess
