#include "common/fileaccess.h"
#include "common/folderlock.h"

#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <cerrno>

class LockAgeTest : public QObject {
    Q_OBJECT
  private slots:
    // A lock dated ahead (its workstation's clock ahead) is not taken for stale at once, only
    // once it has been seen unchanged for the stale time.
    void lockDatedAhead() {
        constexpr int kStaleMs = 400;
        QTemporaryDir dir;
        QFile f(FolderLock::lockPath(dir.path()));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("4242\ntaven\nregistratura-2\n") > 0 && f.flush());
        QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(3600), QFileDevice::FileModificationTime));
        f.close();
        const FolderLock first(dir.path(), 0, kStaleMs);
        QVERIFY2(!first.locked() && first.error().contains("registratura-2"), qPrintable(first.error()));
        QThread::msleep(kStaleMs + 200);
        QVERIFY(FolderLock(dir.path(), 0, kStaleMs).locked());
    }

    // A lock without its holder is another workstation's while it may still be writing it.
    void emptyLockIsKeptWhileFresh() {
        QTemporaryDir dir;
        QFile f(FolderLock::lockPath(dir.path()));
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(!FolderLock(dir.path(), 0).locked());
        QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(-10), QFileDevice::FileModificationTime));
        f.close();
        QVERIFY(FolderLock(dir.path(), 0).locked());
    }

    // A lock file that cannot be made says why, as the system tells it (here: a read-only
    // file system for the file made beside it; the folder is missing besides).
    void cannotMakeTheLockFile() {
        QTemporaryDir dir;
        fileaccess::setFaultHook(
            [](fileaccess::Call call, const QString&) { return call == fileaccess::Call::Open ? EROFS : 0; });
        const FolderLock lock(dir.filePath("Database"));
        fileaccess::setFaultHook({});
        QVERIFY2(!lock.locked() && lock.error().contains("taven.lock") &&
                     lock.error().contains("только для чтения"),
                 qPrintable(lock.error()));
    }
};

QTEST_GUILESS_MAIN(LockAgeTest)
#include "tst_lockage.moc"
