#pragma once
// One lock file in the data folder held around every read, change and write of its files,
// so two workstations sharing the folder never interleave their rewrites. A lock left by a
// dead process on this computer is taken over at once; one from another computer after
// kStaleMs. Waiting is short: a held lock is reported, never waited out.
#include <QLockFile>
#include <QString>
#include <memory>

class FolderLock {
  public:
    static constexpr int kTimeoutMs = 3000;
    static constexpr int kStaleMs = 30000;
    static inline const QString kFileName = QStringLiteral("taven.lock");

    // Tries to take the lock of `folder` (which must exist). On failure locked() is false
    // and error() names who holds it.
    explicit FolderLock(const QString& folder, int timeoutMs = kTimeoutMs);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    bool locked() const { return m_locked; }
    const QString& error() const { return m_error; }

    static QString lockPath(const QString& folder);

  private:
    std::unique_ptr<QLockFile> m_file;
    bool m_locked = false;
    QString m_error;
};
