#include "common/folderlock.h"

#include <QDir>

QString FolderLock::lockPath(const QString& folder) {
    return QDir(folder).filePath(kFileName);
}

FolderLock::FolderLock(const QString& folder, int timeoutMs)
    : m_file(std::make_unique<QLockFile>(lockPath(folder))) {
    m_file->setStaleLockTime(kStaleMs);
    m_locked = m_file->tryLock(timeoutMs);
    qint64 pid = 0;
    QString host;
    QString app;
    // A holder killed between creating the file and writing who it is leaves it empty.
    if (!m_locked && m_file->error() == QLockFile::LockFailedError &&
        !m_file->getLockInfo(&pid, &host, &app) && m_file->removeStaleLockFile())
        m_locked = m_file->tryLock(timeoutMs);
    if (m_locked)
        return;
    const QString path = QDir::toNativeSeparators(lockPath(folder));
    if (m_file->error() == QLockFile::LockFailedError && m_file->getLockInfo(&pid, &host, &app)) {
        m_error = QStringLiteral("Данные заняты другим рабочим местом: компьютер \"%1\", программа "
                                 "\"%2\", процесс %3 (файл \"%4\"). Повторите действие позже")
                      .arg(host, app)
                      .arg(pid)
                      .arg(path);
    } else if (m_file->error() == QLockFile::LockFailedError) {
        m_error = QStringLiteral("Данные заняты другим рабочим местом (файл \"%1\"). "
                                 "Повторите действие позже")
                      .arg(path);
    } else {
        m_error = QStringLiteral("Не удается создать файл блокировки \"%1\"").arg(path);
    }
}

FolderLock::~FolderLock() {
    if (m_locked)
        m_file->unlock();
}
