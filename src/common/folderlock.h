#pragma once
// One lock file in the data folder held around every change and write of its files, so two
// workstations sharing the folder never interleave their rewrites. A lock left by a dead
// process on this computer is taken over at once; any other when it is older than kStaleMs
// by the clock of the folder's file system, or when it has been seen unchanged for kStaleMs.
// A lock dated ahead (a clock ahead) is therefore not taken for stale. Waiting is short: a
// held lock is reported, never waited out.
#include <QLockFile>
#include <QString>
#include <memory>

class FolderLock {
  public:
    static constexpr int kTimeoutMs = 3000;
    static constexpr int kStaleMs = 30000;
    // A lock file without its holder: a holder killed between making it and writing who it is,
    // or one writing that very moment, which must keep its lock.
    static constexpr int kEmptyStaleMs = 2000;
    static inline const QString kFileName = QStringLiteral("taven.lock");

    // Tries to take the lock of `folder` (which must exist). On failure locked() is false
    // and error() names who holds it, or why the lock file cannot be made.
    explicit FolderLock(const QString& folder, int timeoutMs = kTimeoutMs, int staleMs = kStaleMs);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    bool locked() const { return m_locked; }
    const QString& error() const { return m_error; }

    static QString lockPath(const QString& folder);

  private:
    // Who holds the lock file and when it was last changed; empty when there is none.
    QString identity(const QString& folder) const;
    // Removes the lock file when it is stale; true when it was removed.
    bool takeOverStale(const QString& folder, int staleMs) const;
    QString failure(const QString& folder) const;

    std::unique_ptr<QLockFile> m_file;
    bool m_locked = false;
    QString m_error;
};
