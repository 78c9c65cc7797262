#include "common/text1251.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <array>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Characters of bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F.
constexpr std::array<char16_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

char16_t toUnicode(unsigned char b) {
    if (b < 0x80)
        return b;
    if (b >= 0xC0)
        return char16_t(0x0410 + (b - 0xC0));
    return kHigh[b - 0x80];
}

// One byte per UTF-16 unit; 0 marks a unit the code page cannot hold (U+0000 is below
// 0x80 and never looked up here).
const std::array<char, 0x10000>& reverseTable() {
    static const std::array<char, 0x10000> table = [] {
        std::array<char, 0x10000> t{};
        for (int b = 0x80; b < 0x100; ++b)
            t[toUnicode(static_cast<unsigned char>(b))] = static_cast<char>(b);
        return t;
    }();
    return table;
}

QString fileError(const QString& path, const QString& what) {
    return QStringLiteral("%1 \"%2\"").arg(what, path);
}

} // namespace

namespace cp1251 {

QString decode(const QByteArray& bytes) {
    QString out;
    out.resize(bytes.size());
    QChar* d = out.data();
    for (qsizetype k = 0; k < bytes.size(); ++k)
        d[k] = QChar(toUnicode(static_cast<unsigned char>(bytes[k])));
    return out;
}

QByteArray encode(const QString& text) {
    QByteArray out;
    out.resize(text.size());
    const auto& rev = reverseTable();
    const char16_t* s = reinterpret_cast<const char16_t*>(text.constData());
    char* d = out.data();
    for (qsizetype k = 0; k < text.size(); ++k) {
        const char16_t c = s[k];
        if (c < 0x80) {
            d[k] = static_cast<char>(c);
        } else {
            const char b = rev[c];
            d[k] = b ? b : '?';
        }
    }
    return out;
}

qsizetype firstUnencodable(const QString& text) {
    const auto& rev = reverseTable();
    for (qsizetype k = 0; k < text.size(); ++k) {
        const char16_t c = text[k].unicode();
        if (c >= 0x80 && !rev[c])
            return k;
    }
    return -1;
}

} // namespace cp1251

namespace textfile {

ReadCause readCause(int openErrno, bool isFolder, bool folderSearchable) {
    if (isFolder)
        return ReadCause::NotAFile;
    switch (openErrno) {
    case ENOENT:
    case ENOTDIR:
        return ReadCause::Missing;
    case EACCES:
    case EPERM:
        // A folder on the way that cannot be searched hides whether the file is there at all.
        return folderSearchable ? ReadCause::FileDenied : ReadCause::FolderDenied;
    case EISDIR:
        return ReadCause::NotAFile;
    default:
        return ReadCause::Other;
    }
}

QString readFailure(const QString& path, ReadCause cause, const QString& systemWords) {
    switch (cause) {
    case ReadCause::Missing:
        return fileError(path, QStringLiteral("Не найден файл"));
    case ReadCause::FolderDenied:
        return fileError(path, QStringLiteral("Нет прав на доступ к папке файла"));
    case ReadCause::FileDenied:
        return fileError(path, QStringLiteral("Нет прав на чтение файла"));
    case ReadCause::NotAFile:
        return fileError(path, QStringLiteral("Вместо файла папка"));
    case ReadCause::Other:
        break;
    }
    const QString base = fileError(path, QStringLiteral("Не удается прочитать файл"));
    return systemWords.isEmpty() ? base : base + QStringLiteral(": ") + systemWords;
}

std::optional<QByteArray> readBytes(const QString& path, QString* error, ReadCause* cause) {
    QFile f(path);
    if (f.open(QIODevice::ReadOnly)) {
        QByteArray bytes = f.readAll();
        if (f.error() == QFileDevice::NoError)
            return bytes;
    }
    // Qt's words do not separate a missing file from one behind a closed folder: ask the system.
    const QByteArray local = QFile::encodeName(path);
    const int fd = ::open(local.constData(), O_RDONLY | O_CLOEXEC);
    const int openErrno = fd < 0 ? errno : 0;
    if (fd >= 0)
        ::close(fd);
    struct stat st {};
    const bool statOk = ::stat(local.constData(), &st) == 0;
    const bool searchable = statOk || errno != EACCES;
    const ReadCause why = readCause(openErrno, statOk && S_ISDIR(st.st_mode), searchable);
    if (cause)
        *cause = why;
    if (error)
        *error = readFailure(path, why, f.errorString());
    return std::nullopt;
}

std::optional<QString> read(const QString& path, QString* error) {
    auto bytes = readBytes(path, error);
    if (!bytes)
        return std::nullopt;
    return cp1251::decode(*bytes);
}

bool writeBytes(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile f(path);
    // Never write in place: a failure half-way would leave neither the old file nor the new.
    f.setDirectWriteFallback(false);
    // Unbuffered, so a full disk shows at the write that hits it and not only inside commit(),
    // which would still rename a short temporary file over the old one.
    const auto fail = [&](const QString& why) {
        f.cancelWriting();
        if (error)
            *error = fileError(path, QStringLiteral("Не удается записать файл")) + QStringLiteral(": ") + why;
        return false;
    };
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(f.errorString());
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = f.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return fail(f.errorString());
        done += n;
    }
    if (f.error() != QFileDevice::NoError)
        return fail(f.errorString());
    // commit() syncs the temporary file before renaming it over the old one.
    if (!f.commit())
        return fail(f.errorString());
    syncFolder(QFileInfo(path).absolutePath());
    return true;
}

bool syncFolder(const QString& folder) {
    // The rename lives in the folder: until the folder is synced a power cut can bring the
    // old file back.
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

bool isLeftTemporary(const QString& fileName, const QStringList& siblings) {
    // QSaveFile writes "name.XXXXXX" (six letters or digits) beside "name" and renames it.
    static const QRegularExpression pattern(QStringLiteral("^(.+\\.[A-Za-z0-9]+)\\.[A-Za-z0-9]{6}$"));
    const auto m = pattern.match(fileName);
    if (!m.hasMatch())
        return false;
    // Only beside a file of that name or of a kind this program writes, so a user's own
    // "notes.backup" is never touched.
    static const QStringList written = {QStringLiteral("ini"), QStringLiteral("nam"), QStringLiteral("crd"),
                                        QStringLiteral("pnt"), QStringLiteral("txt"), QStringLiteral("dat")};
    const QString base = m.captured(1);
    return siblings.contains(base) || written.contains(QFileInfo(base).suffix(), Qt::CaseInsensitive);
}

QStringList removeLeftTemporaries(const QString& folder) {
    QDir dir(folder);
    const QStringList files = dir.entryList(QDir::Files | QDir::Hidden);
    QStringList removed;
    for (const QString& name : files) {
        if (isLeftTemporary(name, files) && dir.remove(name))
            removed.append(dir.filePath(name));
    }
    return removed;
}

bool write(const QString& path, const QString& text, QString* error) {
    return writeBytes(path, cp1251::encode(text), error);
}

} // namespace textfile
