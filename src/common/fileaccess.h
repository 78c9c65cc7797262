#pragma once
// Every look at, read, write and removal of a data file. Only "no such file" counts as
// missing: any other failure (a flaky share's EIO or ESTALE, a closed folder) is a failure
// that names the file and the system's reason in Russian. Links and things that are not
// regular files are never read or written through.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace fileaccess {

// What a look at a path found, without following a link.
enum class Kind { Missing, File, Folder, Link, Other, Failed };
struct Look {
    Kind kind = Kind::Missing;
    qint64 size = 0;
    QDateTime modified;
    QString error; // for Failed: the path and the reason
    int code = 0;  // for Failed: the errno
    uint permissions = 0;
};
Look look(const QString& path);

// The whole file, opened without following a link and checked to be a regular file. On
// failure: nothing, *error names the file and the reason, *missing is set only for "no such
// file", *code is the errno (EISDIR for a folder, ELOOP for a link, 0 for another kind).
std::optional<QByteArray> read(const QString& path, QString* error = nullptr, bool* missing = nullptr,
                               int* code = nullptr);

// Whole and atomic: a temporary of the program's own name beside the target, every write
// checked, synced, renamed over the target, the folder synced. A target that is a link
// (a dangling one too), a folder or not a regular file is refused. A failure leaves the old
// file byte for byte and removes the temporary. A file that is replaced keeps its mode.
bool write(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// Removes a regular file (a link or a folder is refused); "no such file" is success with
// *missing set.
bool remove(const QString& path, QString* error = nullptr, bool* missing = nullptr);
// Makes the folder and the folders above it that are missing.
bool makeFolder(const QString& path, QString* error = nullptr);
// The names in a folder, "." and ".." left out.
std::optional<QStringList> list(const QString& folder, QString* error = nullptr);

// The system's reason for errno `code`, in Russian.
QString reason(int code);
// The message for a read of `path` that failed with `code` (as read() gives it).
QString readFailure(const QString& path, int code);

// The temporaries write() makes: ".<name>.taven-XXXXXX".
bool isOwnTemporary(const QString& fileName);
// The time by the clock of the file system that holds `folder` (on a share: the server's),
// read from a file made there and removed at once. Ages of files there are measured against
// it, so that a workstation whose clock is wrong judges them right. On failure *code is the
// errno of making the file: why nothing can be written there.
std::optional<QDateTime> folderTime(const QString& folder, int* code = nullptr);

// Test seam: asked before every system call of this unit; a non-zero errno returned fails
// that call as the system would. An empty function injects nothing.
enum class Call { Look, Open, Read, Write, Sync, Rename, Remove, MakeFolder, List };
using FaultHook = std::function<int(Call call, const QString& path)>;
void setFaultHook(FaultHook hook);

} // namespace fileaccess
