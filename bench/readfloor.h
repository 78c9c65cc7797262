#pragma once
// The floor of reading a data file, in plain C++: the whole file read, decoded through a flat
// 256-entry table, its separators noted.
#include "common/text1251.h"

#include <QFile>
#include <array>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace benchfloor {

// Bytes 0x80..0xFF to their characters; the separators are the ASCII ones.
inline const std::array<char16_t, 256>& decodeTable() {
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> t{};
        QByteArray all(256, '\0');
        for (int b = 0; b < 256; ++b)
            all[b] = char(b);
        const QString chars = cp1251::decode(all);
        for (int b = 0; b < 256; ++b)
            t[b] = chars[b].unicode();
        return t;
    }();
    return table;
}

inline std::string readFile(const std::string& path) {
    std::string out;
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return out;
    char buf[1 << 16];
    for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;)
        out.append(buf, size_t(n));
    ::close(fd);
    return out;
}

inline size_t readFloor(const std::string& path) {
    const std::string bytes = readFile(path);
    const auto& table = decodeTable();
    std::u16string text(bytes.size(), u'\0');
    std::vector<size_t> seps;
    seps.reserve(bytes.size() / 4);
    for (size_t k = 0; k < bytes.size(); ++k) {
        const unsigned char b = static_cast<unsigned char>(bytes[k]);
        text[k] = table[b];
        if (b == '*' || b == '|' || b == '@' || b == '>' || b == ',' || b == ' ' || b == '\n')
            seps.push_back(k);
    }
    return seps.size() + text.size();
}

inline size_t readFloor(const QString& path) {
    return readFloor(QFile::encodeName(path).toStdString());
}

} // namespace benchfloor
