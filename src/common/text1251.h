#pragma once
// Whole-file text in the Windows-1251 code page: the program's data files are read
// and written whole, byte for byte.
#include <QByteArray>
#include <QString>
#include <optional>

namespace cp1251 {

// Every one of the 256 byte values maps to one character and back, including 0x98,
// which has no Cyrillic meaning (it maps to U+0098).
QString decode(const QByteArray& bytes);
// Characters outside the code page become '?'.
QByteArray encode(const QString& text);
// Position of the first character the code page cannot hold, or -1.
qsizetype firstUnencodable(const QString& text);

} // namespace cp1251

namespace textfile {

// Reads the whole file; on failure returns nothing and, when asked, a message in Russian.
std::optional<QString> read(const QString& path, QString* error = nullptr);
std::optional<QByteArray> readBytes(const QString& path, QString* error = nullptr);
// Writes atomically: the old file stays as it was when anything fails.
bool write(const QString& path, const QString& text, QString* error = nullptr);
bool writeBytes(const QString& path, const QByteArray& bytes, QString* error = nullptr);

} // namespace textfile
