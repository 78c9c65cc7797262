// Two workstations on one data folder: the lock keeps their rewrites apart, a dead holder's
// lock is taken over, a live one from another computer is reported by name.
#include "common/folderlock.h"
#include "patients/patientstore.h"

#include <QDir>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
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
    int misdirected = 0;
    int added = 0; // visits added to a card that had one already, all of one day
    QStringList faults;
    QSet<QString> made, deletedPatients, tags, deletedTags;
};

void readLog(const QString& path, Outcomes* o) {
    const QStringList lines = QString::fromUtf8(bytesOf(path)).split(u'\n', Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        const QStringList w = line.split(u' ');
        const bool named = !QStringList{"load", "read", "addvisit"}.contains(w[0]);
        ++o->operations;
        if (w.value(named ? 2 : 1) == "conflict") {
            ++o->conflicts;
        } else if (w.value(named ? 2 : 1) != "ok") {
            o->faults << line;
        } else if (w[0] == "addvisit") {
            ++o->added;
        } else if (w[0] == "create" || w[0] == "delpatient") {
            (w[0] == "create" ? o->made : o->deletedPatients) << w[1];
        } else if (w[0] == "tag" || w[0] == "delvisit") {
            (w[0] == "tag" ? o->tags : o->deletedTags) << w[1];
        }
    }
}

// Every visit of the folder against its tag, and every tag against what the log says.
void checkFolder(const QString& root, Outcomes* o) {
    const PatientStore store{WorkFolder(root)};
    const auto index = Index::parse(bytesOf(store.indexPath()));
    QHash<QString, int> seen;
    QSet<QString> present;
    const auto wrong = [&](const QString& what) {
        ++o->misdirected;
        o->faults << what;
    };
    for (const IndexRecord& r : index ? index->records : QList<IndexRecord>()) {
        const QString patient = r.name().section(u' ', 1);
        present << patient;
        const Card card = Card::parse(bytesOf(store.cardPath(r.cardFile())));
        if (card.dates() != r.dateLines().mid(0, r.dateCount()))
            o->faults << "card of " + patient + " disagrees with its record";
        if (!o->made.contains(patient) || o->deletedPatients.contains(patient))
            o->faults << "patient " + patient + " present though never made or deleted";
        for (const QString& visit : card.visits) {
            const QStringList f = visitFields(visit);
            const QString tag = fieldText(f, 2).mid(3), complaints = fieldText(f, 1);
            const QString result = resultsOf(visit).cell(0, 0);
            if (tag.isEmpty())
                continue;
            if (++seen[tag] > 1 || tag.section(u'/', 0, 0) != patient)
                wrong("visit " + tag + " in " + patient + "'s card, " + QString::number(seen[tag]) +
                      " times");
            if ((!complaints.isEmpty() && complaints != "for " + tag) || (!result.isEmpty() && result != tag))
                wrong("visit " + tag + " holds what was meant for another: " + complaints + " / " + result);
            if (!o->tags.contains(tag) || o->deletedTags.contains(tag))
                wrong("visit " + tag + " present though never tagged or deleted");
        }
    }
    for (const QString& tag : std::as_const(o->tags))
        if (!seen.contains(tag) && !o->deletedTags.contains(tag) &&
            !o->deletedPatients.contains(tag.section(u'/', 0, 0)))
            wrong("visit " + tag + " lost");
    for (const QString& patient : std::as_const(o->made))
        if (!o->deletedPatients.contains(patient) && !present.contains(patient))
            o->faults << "patient " + patient + " lost";
    const QStringList files = QDir(root + "/Database").entryList({"c *.dat"}, QDir::Files);
    if (files.size() != (index ? index->records.size() : 0))
        o->faults << QString("%1 card files for %2 patients")
                         .arg(files.size())
                         .arg(index ? index->records.size() : 0);
}

} // namespace

class FolderLockTest : public QObject {
    Q_OBJECT
  private slots:
    // Three workstations on one folder, every visit of one date: no write lands in a visit
    // other than the one its window read.
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
        Outcomes o;
        for (int id = 0; id < 3; ++id) {
            QVERIFY(children[id].waitForFinished(1000 * (seconds + 120)));
            QCOMPARE(children[id].exitCode(), 0);
            readLog(dir.filePath(QStringLiteral("log%1.txt").arg(id)), &o);
        }
        checkFolder(dir.path(), &o);
        qInfo("operations %d, conflicts reported %d, misdirected writes %d, visits added beside one of the "
              "same day %d",
              o.operations, o.conflicts, o.misdirected, o.added);
        QVERIFY2(o.faults.isEmpty(), qPrintable(o.faults.mid(0, 10).join(u'\n')));
        QVERIFY(o.operations > 100 && o.tags.size() > 10 && o.added > 10);
        QVERIFY(!o.deletedTags.isEmpty() && !o.deletedPatients.isEmpty());
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
        PatientView chosen;
        QVERIFY(!store.choose(0, &chosen));
        writeLock(dir.filePath("Database"), "registratura-2", age);
        QElapsedTimer clock;
        clock.start();
        PatientView v;
        const Error e = store.addVisit(chosen.ref, QDate(2020, 2, 3), &v);
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
};

QTEST_GUILESS_MAIN(FolderLockTest)
#include "tst_folderlock.moc"
