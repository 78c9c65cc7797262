#pragma once
// Whole-file text in the Windows-1251 code page: the program's data files are read
// and written whole, byte for byte.
#include <QByteArray>
#include <QString>
#include <QStringList>
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

// Why a file could not be read, as the system tells it.
enum class ReadCause { Missing, FolderDenied, FileDenied, NotAFile, Other };
// `openErrno` from opening the file, `isFolder` and `folderSearchable` from looking at the path.
ReadCause readCause(int openErrno, bool isFolder, bool folderSearchable);

// Reads the whole file (fileaccess::read: never through a link); on failure returns nothing
// and, when asked, a message in Russian naming the file and the real cause.
std::optional<QString> read(const QString& path, QString* error = nullptr);
std::optional<QByteArray> readBytes(const QString& path, QString* error = nullptr,
                                    ReadCause* cause = nullptr);
// Writes atomically (fileaccess::write): when anything fails the old file stays byte for byte
// and the message names the file and the system's reason.
bool write(const QString& path, const QString& text, QString* error = nullptr);
bool writeBytes(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// A temporary file a write left behind when the program was killed before its rename.
bool isLeftTemporary(const QString& fileName, const QStringList& siblings);
// Removes such files from the folder (not from its subfolders); returns their paths.
QStringList removeLeftTemporaries(const QString& folder);

} // namespace textfile
