#include "common/text1251.h"

#include "common/fileaccess.h"

#include <algorithm>
#include <array>

#include <cerrno>

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

std::optional<QByteArray> readBytes(const QString& path, QString* error, ReadCause* cause) {
    int code = 0;
    auto bytes = fileaccess::read(path, error, nullptr, &code);
    if (!bytes && cause) {
        const bool denied = code == EACCES || code == EPERM;
        *cause = readCause(code, code == EISDIR, !denied || fileaccess::look(path).code != EACCES);
    }
    return bytes;
}

std::optional<QString> read(const QString& path, QString* error) {
    auto bytes = readBytes(path, error);
    if (!bytes)
        return std::nullopt;
    return cp1251::decode(*bytes);
}

bool writeBytes(const QString& path, const QByteArray& bytes, QString* error) {
    return fileaccess::write(path, bytes, error);
}

QStringList removeLeftTemporaries(const QString& folder, qint64 minAgeSecs) {
    QStringList removed;
    const auto names = fileaccess::list(folder);
    if (!names || std::none_of(names->begin(), names->end(), fileaccess::isOwnTemporary))
        return removed;
    // Aged by the folder's own clock: on a share another workstation's clock may differ.
    const auto now = fileaccess::folderTime(folder);
    if (!now)
        return removed;
    for (const QString& name : *names) {
        const QString path = folder + u'/' + name;
        if (!fileaccess::isOwnTemporary(name))
            continue;
        const fileaccess::Look found = fileaccess::look(path);
        if (found.kind == fileaccess::Kind::File && found.modified.secsTo(*now) >= minAgeSecs &&
            fileaccess::remove(path))
            removed.append(path);
    }
    return removed;
}

bool write(const QString& path, const QString& text, QString* error) {
    return writeBytes(path, cp1251::encode(text), error);
}

} // namespace textfile
