#pragma once
// The file system's own calls, one system call each, so that a test can fail any one of them
// from the layer above. Paths are Qt's ("/" between names); a failure comes back as a <cerrno>
// code and success as 0, so that one table of reasons serves every system.
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace platform {

// An open file: a descriptor here; a system with handles keeps its handle in it.
using Handle = qintptr;
inline constexpr Handle kNoHandle = -1;

enum class Type { File, Folder, Link, Other };
struct Status {
    Type type = Type::Other;
    qint64 size = 0;
    QDateTime modified;
    uint permissions = 0; // the system's own access bits, only ever handed back to setPermissions
};

// Failures that the C++ library has no name for. A system that never reports one gives a
// value that no call returns (not 0, which is success).
extern const int kStaleHandle; // a file on a share that the server no longer knows
extern const int kOverQuota;   // the user's share of the disk is used up
extern const int kHostDown;    // the share's server does not answer

// What is at `path`; a link is reported as a link, not followed.
int lookAt(const QString& path, Status* status);
// Whether `path` is a folder, a link to one included.
bool isFolder(const QString& path);
int statusOf(Handle file, Status* status);

// Opens to read, never through a link and never waiting (a pipe put in a file's place must
// not hang the program).
int openToRead(const QString& path, Handle* file);
// Creates `path` to write: never over an existing name, never through a link. `ownerOnly`
// keeps others from reading it; else it gets the user's usual rights for a new file.
int createNew(const QString& path, bool ownerOnly, Handle* file);
// Up to `size` bytes; *done is 0 at the end of the file. Interrupted calls are retried here.
int readSome(Handle file, char* buffer, qint64 size, qint64* done);
int writeSome(Handle file, const char* bytes, qint64 size, qint64* done);
int setPermissions(Handle file, uint permissions);
// Until this returns, a power cut may lose what was written.
int sync(Handle file);
// A share may report a failed write only here. The handle is gone either way.
int close(Handle file);

// Puts `from` in the place of `to` in one step: a reader sees the old file or the new one.
int replace(const QString& from, const QString& to);
// Removes a file (never a folder).
int removeFile(const QString& path);
// Makes one folder, the one above it being there.
int makeFolder(const QString& path);
// Makes what changed in the folder's names (a rename, a removal) survive a power cut.
int syncFolder(const QString& folder);
// The names in a folder, "." and ".." left out.
int listFolder(const QString& folder, QStringList* names);

} // namespace platform
