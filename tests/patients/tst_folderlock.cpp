// Two workstations on one data folder: the lock keeps their rewrites apart, a dead holder's
// lock is taken over, a live one from another computer is reported by name.
#include "common/fileaccess.h"
#include "common/folderlock.h"
#include "patients/patientstore.h"
#include "workstations.h"

#include <QDir>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

using namespace patients;

namespace {

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A lock file as QLockFile writes it: pid, application, host.
void writeLock(const QString& folder, const QString& host, int ageSeconds) {
    QFile f(FolderLock::lockPath(folder));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("4242\ntaven\n" + host.toUtf8() + "\n");
    f.close();
    QVERIFY(f.open(QIODevice::ReadWrite));
    const QDateTime when = QDateTime::currentDateTimeUtc().addSecs(-ageSeconds);
    QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
}

} // namespace

class FolderLockTest : public QObject {
    Q_OBJECT
  private slots:
    // Every visit of one day: no write lands in a visit other than the one its window read.
    void threeWorkstationsSameDay() {
        QTemporaryDir dir;
        const workstations::Outcomes o = workstations::run(dir.path(), 3, 30);
        PatientStore store{WorkFolder(dir.path())};
        QStringList faults = workstations::check(store, o);
        QSet<QString> cards;
        for (const IndexRecord& r : store.list())
            cards << r.cardFile();
        for (const QString& file : QDir(dir.filePath("Database")).entryList({"c *.dat"}, QDir::Files))
            if (!cards.contains(file))
                faults << "card " + file + " without a record";
        QVERIFY2(faults.isEmpty(), qPrintable(faults.mid(0, 10).join(u'\n')));
    }

    void killedHolderIsTakenOver() {
        QTemporaryDir dir;
        const QString folder = dir.filePath("Database");
        QVERIFY(QDir().mkpath(folder));
        QProcess holder;
        holder.start(LOCKCHILD, {folder, "hold"});
        QVERIFY(holder.waitForReadyRead(30000));
        QCOMPARE(holder.readAll().trimmed(), QByteArray("held"));
        PatientStore store{WorkFolder(dir.path())};
        // Held by a live process of this computer: refused, and the message names the host.
        const Error busy = store.load();
        QCOMPARE(busy.fault, Fault::Locked);
        QVERIFY2(busy.message.contains(QSysInfo::machineHostName()), qPrintable(busy.message));
        QVERIFY(!QFileInfo::exists(store.indexPath()));
        holder.kill();
        QVERIFY(holder.waitForFinished(30000));
        QVERIFY(QFileInfo::exists(FolderLock::lockPath(folder)));
        const Error e = store.load();
        QVERIFY2(!e, qPrintable(e.message));
        QCOMPARE(bytesOf(store.indexPath()), Index::emptyBytes());
    }

    void anotherHostsLock_data() {
        QTest::addColumn<int>("age");
        QTest::addColumn<bool>("takenOver");
        QTest::newRow("held now") << 2 << false;
        QTest::newRow("older than its staleness") << FolderLock::kStaleMs / 1000 + 60 << true;
    }
    void anotherHostsLock() {
        QFETCH(int, age);
        QFETCH(bool, takenOver);
        QTemporaryDir dir;
        PatientStore store{WorkFolder(dir.path())};
        QVERIFY(!store.load());
        QVERIFY(!store.createPatient("Иванов", "Иван", "1950", QDate(2020, 1, 2)));
        const QByteArray index = bytesOf(store.indexPath());
        PatientView v;
        QVERIFY(!store.choose(0, &v));
        writeLock(dir.filePath("Database"), "registratura-2", age);
        QElapsedTimer clock;
        clock.start();
        const Error e = store.addVisit(v.ref, QDate(2020, 2, 3), &v);
        QVERIFY(clock.elapsed() < 3 * FolderLock::kTimeoutMs);
        if (takenOver) {
            QVERIFY2(!e, qPrintable(e.message));
            QVERIFY(bytesOf(store.indexPath()) != index);
        } else {
            QCOMPARE(e.fault, Fault::Locked);
            QVERIFY2(e.message.contains("registratura-2"), qPrintable(e.message));
            QCOMPARE(bytesOf(store.indexPath()), index);
        }
    }

    // A lock dated ahead (a clock ahead) is stale only once seen unchanged for the stale time.
    void lockDatedAhead() {
        constexpr int kStaleMs = 400;
        QTemporaryDir dir;
        writeLock(dir.path(), "registratura-2", -3600);
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
        QVERIFY(FolderLock(dir.path(), 0).locked());
    }

    // A lock file that cannot be made says why (a read-only file system for a file beside it).
    void cannotMakeTheLockFile() {
        QTemporaryDir dir;
        fileaccess::setFaultHook(
            [](fileaccess::Call call, const QString&) { return call == fileaccess::Call::Open ? EROFS : 0; });
        const FolderLock lock(dir.filePath("Database"));
        fileaccess::setFaultHook({});
        QVERIFY2(!lock.locked() && lock.error().contains("taven.lock\": файловая система доступна только"),
                 qPrintable(lock.error()));
    }
};

QTEST_GUILESS_MAIN(FolderLockTest)
#include "tst_folderlock.moc"
