// Two workstations on one data folder: the lock keeps their rewrites apart, a dead holder's
// lock is taken over, a live one from another computer is reported by name.
#include "common/fileaccess.h"
#include "common/folderlock.h"
#include "patients/patientstore.h"

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

struct Outcomes {
    int operations = 0;
    int conflicts = 0;
    QStringList faults;
    QSet<QString> patients, deletedPatients; // names with "_" for " "
    QHash<QString, QString> visits;          // tag -> patient
    QSet<QString> deletedVisits;
};

void readLog(const QString& path, Outcomes* o) {
    const QStringList lines = QString::fromUtf8(bytesOf(path)).split(u'\n', Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        const QStringList w = line.split(u' ');
        ++o->operations;
        if (w.value(w[0] == "load" ? 1 : w[0] == "delpatient" ? 2 : 3) == "conflict") {
            ++o->conflicts;
            continue;
        }
        if (!line.endsWith(" ok")) {
            o->faults << line;
            continue;
        }
        if (w[0] == "create") {
            o->patients << w[1];
        } else if (w[0] == "tag") {
            o->visits.insert(w[2], w[1]);
        } else if (w[0] == "delpatient") {
            o->deletedPatients << w[1];
        } else if (w[0] == "delvisit") {
            o->deletedVisits << w[2];
        }
    }
}

// The folder as the children left it against what they reported.
void checkFolder(const QString& root, const Outcomes& o, QStringList* faults) {
    const PatientStore store{WorkFolder(root)};
    const auto index = Index::parse(bytesOf(store.indexPath()));
    if (!index && QFileInfo::exists(store.indexPath()))
        return faults->append("index does not parse");
    QSet<QString> names, cards;
    QHash<QString, QString> dates;
    for (const IndexRecord& r : index ? index->records : QList<IndexRecord>()) {
        const QString name = r.name().replace(u' ', u'_');
        names << name;
        cards << r.cardFile();
        const QByteArray bytes = bytesOf(store.cardPath(r.cardFile()));
        const Card card = Card::parse(bytes);
        if (bytes.isEmpty() || card.dates() != r.dateLines().mid(0, r.dateCount()))
            faults->append("card of " + name + " disagrees with its record");
        // A visit holds its own tag once in the folder, and only writes that name it.
        for (const QString& v : card.visits) {
            const QStringList f = visitFields(v);
            const QString tag = fieldText(f, 2).mid(3), complaints = fieldText(f, 1);
            if (!tag.isEmpty() && (dates.contains(tag) || (complaints != "" && complaints != "for " + tag) ||
                                   !QStringList{"", tag}.contains(resultsOf(v).cell(0, 0))))
                faults->append("visit " + tag + " of " + name + " holds a write meant for another");
            if (!tag.isEmpty())
                dates.insert(tag, name);
        }
    }
    const QStringList files = QDir(root + "/Database").entryList({"c *.dat"}, QDir::Files);
    for (const QString& file : files)
        if (!cards.contains(file))
            faults->append("card " + file + " without a record");
    for (const QString& p : o.patients)
        if (names.contains(p) == o.deletedPatients.contains(p))
            faults->append("patient " + p + (names.contains(p) ? " deleted yet present" : " lost"));
    for (const QString& p : names)
        if (!o.patients.contains(p))
            faults->append("patient " + p + " present though never reported made");
    for (auto it = o.visits.cbegin(); it != o.visits.cend(); ++it) {
        const bool gone = o.deletedPatients.contains(it.value()) || o.deletedVisits.contains(it.key());
        if (dates.contains(it.key()) == gone || (!gone && dates.value(it.key()) != it.value()))
            faults->append("visit " + it.key() + " of " + it.value() + (gone ? " still present" : " lost"));
    }
    for (auto it = dates.cbegin(); it != dates.cend(); ++it)
        if (!o.visits.contains(it.key()))
            faults->append("visit " + it.key() + " present though never reported made");
}

} // namespace

class FolderLockTest : public QObject {
    Q_OBJECT
  private slots:
    // Every visit of one day: no write lands in a visit other than the one its window read.
    void threeWorkstationsSameDay() {
        const int seconds = qEnvironmentVariableIsSet("TAVEN_LOCK_SECONDS")
                                ? qEnvironmentVariableIntValue("TAVEN_LOCK_SECONDS")
                                : 30;
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QProcess children[3];
        for (int id = 0; id < 3; ++id)
            children[id].start(LOCKCHILD, {dir.path(), QString::number(id), QString::number(seconds),
                                           dir.filePath(QStringLiteral("log%1.txt").arg(id))});
        for (QProcess& child : children) {
            QVERIFY(child.waitForFinished(1000 * (seconds + 120)));
            QCOMPARE(child.exitCode(), 0);
        }
        Outcomes o;
        for (int id = 0; id < 3; ++id)
            readLog(dir.filePath(QStringLiteral("log%1.txt").arg(id)), &o);
        QStringList faults = o.faults;
        checkFolder(dir.path(), o, &faults);
        qInfo("operations %d, conflicts reported %d, misdirected, lost or unreported writes %lld",
              o.operations, o.conflicts, qlonglong(faults.size()));
        QVERIFY2(faults.isEmpty(), qPrintable(faults.mid(0, 10).join(u'\n')));
        QVERIFY(o.operations > 100 && o.visits.size() > 10);
        QVERIFY(o.patients.size() > 2);
        QVERIFY(!o.deletedVisits.isEmpty() && !o.deletedPatients.isEmpty());
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
