#include "common/folderlock.h"

#include "common/fileaccess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QMutex>
#include <algorithm>

namespace {

// A lock file as this process saw it, and since when by its own steady clock.
struct Sighting {
    QString what; // holder and modification time
    QElapsedTimer since;
};

// How long the lock at `path`, as it is now, has been seen unchanged, in milliseconds.
qint64 unchangedFor(const QString& path, const QString& what) {
    static QMutex mutex;
    static QHash<QString, Sighting> seen;
    const QMutexLocker hold(&mutex);
    Sighting& s = seen[path];
    if (s.what != what || !s.since.isValid()) {
        s.what = what;
        s.since.start();
    }
    return s.since.elapsed();
}

} // namespace

QString FolderLock::lockPath(const QString& folder) {
    return QDir(folder).filePath(kFileName);
}

FolderLock::FolderLock(const QString& folder, int timeoutMs, int staleMs)
    : m_file(std::make_unique<QLockFile>(lockPath(folder))) {
    // Qt would take a lock dated ahead by more than the stale time for stale at once; the age
    // is judged here instead. A dead holder on this computer is still seen by Qt.
    m_file->setStaleLockTime(0);
    m_locked = m_file->tryLock(timeoutMs);
    if (!m_locked && m_file->error() == QLockFile::LockFailedError && takeOverStale(folder, staleMs))
        m_locked = m_file->tryLock(timeoutMs);
    if (!m_locked)
        m_error = failure(folder);
}

QString FolderLock::identity(const QString& folder) const {
    const fileaccess::Look lock = fileaccess::look(lockPath(folder));
    if (lock.kind != fileaccess::Kind::File)
        return {};
    qint64 pid = 0;
    QString host;
    QString app;
    // A holder killed between creating the file and writing who it is leaves it empty.
    const QString holder = m_file->getLockInfo(&pid, &host, &app)
                               ? QStringLiteral("%1 %2 %3").arg(pid).arg(host, app)
                               : QStringLiteral("-");
    return holder + u' ' + QString::number(lock.modified.toMSecsSinceEpoch());
}

bool FolderLock::takeOverStale(const QString& folder, int staleMs) const {
    const QString seen = identity(folder);
    if (seen.isEmpty())
        return false;
    const int limit = seen.startsWith(u'-') ? std::min(staleMs, kEmptyStaleMs) : staleMs;
    bool stale = unchangedFor(lockPath(folder), seen) > limit;
    if (!stale) {
        const auto now = fileaccess::folderTime(folder);
        stale = now && fileaccess::look(lockPath(folder)).modified.msecsTo(*now) > limit;
    }
    if (!stale)
        return false;
    // As Qt does: two workstations that both found it stale must not both remove it, the
    // second one the first one's fresh lock.
    QLockFile guard(lockPath(folder) + QStringLiteral(".rmlock"));
    return guard.tryLock(0) && identity(folder) == seen && m_file->removeStaleLockFile();
}

QString FolderLock::failure(const QString& folder) const {
    const QString path = QDir::toNativeSeparators(lockPath(folder));
    qint64 pid = 0;
    QString host;
    QString app;
    if (m_file->error() == QLockFile::LockFailedError && m_file->getLockInfo(&pid, &host, &app))
        return QStringLiteral("Данные заняты другим рабочим местом: компьютер \"%1\", программа "
                              "\"%2\", процесс %3 (файл \"%4\"). Повторите действие позже")
            .arg(host, app)
            .arg(pid)
            .arg(path);
    if (m_file->error() == QLockFile::LockFailedError)
        return QStringLiteral("Данные заняты другим рабочим местом (файл \"%1\"). "
                              "Повторите действие позже")
            .arg(path);
    // Qt does not say why the file could not be made: a file made beside it tells.
    int code = 0;
    const QString base = QStringLiteral("Не удается создать файл блокировки \"%1\"").arg(path);
    return fileaccess::folderTime(folder, &code) ? base
                                                 : base + QStringLiteral(": ") + fileaccess::reason(code);
}

FolderLock::~FolderLock() {
    if (m_locked)
        m_file->unlock();
}
