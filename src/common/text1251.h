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

// How old a temporary left by a write must be before the start-up clean-up removes it: a
// younger one may be another workstation's write in progress on a shared folder.
constexpr qint64 kLeftTemporaryAgeSecs = 10 * 60;
// Removes from the folder (not from its subfolders) the temporaries of fileaccess::write
// that a killed writer left, when older than `minAgeSecs`; returns their paths. Nothing
// else is touched: the "name.XXXXXX" files of older versions of the program cannot be told
// from a user's "client.crd.backup" and stay.
QStringList removeLeftTemporaries(const QString& folder, qint64 minAgeSecs = kLeftTemporaryAgeSecs);

} // namespace textfile
