// When a lock held by another workstation counts as stale, and what a lock that cannot be
// made says.
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
    // A lock dated ahead (its workstation's clock ahead) is no stale lock: it is taken over
    // only once its age by the folder's clock passes, or once it has been seen unchanged
    // for the stale time.
    void anotherHostsLock_data() {
        QTest::addColumn<int>("ageSecs"); // by the file's modification time
        QTest::addColumn<int>("seenMs");  // seen held that long before the try
        QTest::addColumn<bool>("taken");
        QTest::newRow("dated ahead") << -3600 << 0 << false;
        QTest::newRow("dated ahead, seen unchanged") << -3600 << 600 << true;
        QTest::newRow("held now") << 0 << 0 << false;
        QTest::newRow("old") << 3600 << 0 << true;
    }
    void anotherHostsLock() {
        QFETCH(int, ageSecs);
        QFETCH(int, seenMs);
        QFETCH(bool, taken);
        constexpr int kStaleMs = 400;
        QTemporaryDir dir;
        QFile f(FolderLock::lockPath(dir.path()));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("4242\ntaven\nregistratura-2\n");
        QVERIFY(f.flush());
        QVERIFY(
            f.setFileTime(QDateTime::currentDateTime().addSecs(-ageSecs), QFileDevice::FileModificationTime));
        f.close();
        if (seenMs) {
            QVERIFY(!FolderLock(dir.path(), 0, kStaleMs).locked());
            QThread::msleep(seenMs);
        }
        const FolderLock lock(dir.path(), 0, kStaleMs);
        QCOMPARE(lock.locked(), taken);
        QVERIFY2(taken || lock.error().contains("registratura-2"), qPrintable(lock.error()));
    }

    // A lock file that cannot be made says why, as the system tells it.
    void cannotMakeTheLockFile_data() {
        QTest::addColumn<int>("code"); // given to the making of a file there; 0: none
        QTest::addColumn<QString>("words");
        QTest::newRow("no folder") << 0 << "нет такого файла или папки";
        QTest::newRow("read-only") << EROFS << "только для чтения";
        QTest::newRow("disk full") << ENOSPC << "нет места на диске";
    }
    void cannotMakeTheLockFile() {
        QFETCH(int, code);
        QFETCH(QString, words);
        QTemporaryDir dir;
        fileaccess::setFaultHook([code](fileaccess::Call call, const QString&) {
            return call == fileaccess::Call::Open ? code : 0;
        });
        const FolderLock lock(dir.filePath("Database"));
        fileaccess::setFaultHook({});
        QVERIFY(!lock.locked());
        QVERIFY2(lock.error().contains("taven.lock") && lock.error().contains(words),
                 qPrintable(lock.error()));
    }
};

QTEST_GUILESS_MAIN(LockAgeTest)
#include "tst_lockage.moc"
