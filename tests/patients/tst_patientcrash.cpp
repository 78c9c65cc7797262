// A writer killed at random moments leaves every patient file either as it was or as it
// was meant to become, and the index and the cards agreeing.
// So does each operation with a file call failing or the disk full; it says done only if done.
#include "common/fileaccess.h"
#include "crashsteps.h"
#include "patientgen.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

using namespace patients;

namespace {

using Files = QMap<QString, QByteArray>;

Files snapshot(const QString& root) {
    Files files;
    const QDir db(root + "/Database");
    for (const QString& name : db.entryList(QDir::Files | QDir::Hidden)) {
        if (name.startsWith("taven.lock")) // a killed writer's lock, taken over by the next one
            continue;
        QFile f(db.filePath(name));
        f.open(QIODevice::ReadOnly);
        files.insert(name, f.readAll());
    }
    return files;
}

void copyFiles(const Files& files, const QString& root) {
    QDir().mkpath(root + "/Database");
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        QFile f(root + "/Database/" + it.key());
        f.open(QIODevice::WriteOnly);
        f.write(it.value());
    }
}

// What disagrees once every patient is chosen, which finishes a change cut between card and index.
QString disagreement(const QString& root) {
    PatientStore store{WorkFolder(root)};
    if (Error e = store.load())
        return e.message;
    for (int p = 0; p < store.index().records.size(); ++p) {
        PatientView v;
        if (Error e = store.choose(p, &v))
            return e.message;
        if (v.visits.value(0).token.isEmpty()) // all visits have a token, or none
            return v.ref.cardFile + " disagrees with its record";
    }
    return {};
}

// The files less the cards that the store reports as left over.
Files reported(const QString& root) {
    Files files = snapshot(root);
    PatientStore store{WorkFolder(root)};
    store.load();
    for (const QString& name : store.leftOverCards())
        files.remove(name);
    return files;
}

// What grows by one a round: the counter, and the new patient's card number.
QString keyOf(const QString& name) {
    return cardNumber(name) > 4 ? "new card" : name;
}
QByteArray normal(const QString& name, const QByteArray& bytes) {
    static const QRegularExpression card("\\|c ([5-9]|\\d\\d+)\\.dat\\|");
    return name != "client.crd"
               ? bytes
               : QString::fromLatin1(bytes.mid(bytes.indexOf('*'))).replace(card, "|c N.dat|").toLatin1();
}

using Allowed = QMap<QString, QSet<QByteArray>>;

// Every content a file may hold: as generated, and after each step of the writer.
Allowed allowedContents(const Files& initial) {
    Allowed allowed;
    for (auto it = initial.cbegin(); it != initial.cend(); ++it)
        allowed[keyOf(it.key())].insert(normal(it.key(), it.value()));
    QTemporaryDir scratch;
    copyFiles(initial, scratch.path());
    PatientStore store{WorkFolder(scratch.path())};
    store.load();
    for (int k = 0; k < crashtest::kOps; ++k) {
        if (!crashtest::step(store))
            return {};
        const Files now = snapshot(scratch.path());
        for (auto it = now.cbegin(); it != now.cend(); ++it)
            allowed[keyOf(it.key())].insert(normal(it.key(), it.value()));
    }
    return allowed;
}

// A file neither old nor new, or a file gone; temporary files of a cut write are removed.
QString unexpectedFile(const QString& root, const Files& now, const Allowed& allowed, int* leftovers) {
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (!allowed.contains(keyOf(it.key()))) {
            if (!it.key().contains(".dat.") && !it.key().contains(".crd."))
                return it.key() + " appeared";
            QFile::remove(root + "/Database/" + it.key());
            ++*leftovers;
        } else if (!allowed[keyOf(it.key())].contains(normal(it.key(), it.value()))) {
            return it.key() + " is neither old nor new";
        }
    }
    for (auto it = allowed.cbegin(); it != allowed.cend(); ++it)
        if (it.key() != "new card" && !now.contains(it.key()))
            return it.key() + " is gone";
    return {};
}

} // namespace

class PatientCrashTest : public QObject {
    Q_OBJECT
  private slots:
    void killedWriterLeavesOldOrNew() {
        QTemporaryDir dir;
        patientgen::Options o;
        o.patients = 3;
        o.visits = 3;
        o.bigVisits = 600;
        QVERIFY(patientgen::writeDatabase(dir.path(), o));
        const Files initial = snapshot(dir.path());
        QVERIFY2(initial.value("c 4.dat").size() > 1'000'000, "the large card is large");
        const Allowed allowed = allowedContents(initial);
        QCOMPARE(allowed.size(), initial.size() + 1);

        int midway = 0, leftovers = 0;
        QSet<QByteArray> bigSeen;
        for (int kill = 1; kill <= 200; ++kill) {
            QProcess child;
            child.start(CRASHCHILD, {dir.path()});
            QVERIFY(child.waitForReadyRead(10000));
            // Up to a few steps of about 70 ms each on a slow disk.
            QThread::usleep(QRandomGenerator::global()->bounded(250000));
            QVERIFY2(child.state() == QProcess::Running, child.readAllStandardError().constData());
            child.kill();
            QVERIFY(child.waitForFinished(10000));
            const Files now = snapshot(dir.path());
            const QString bad = unexpectedFile(dir.path(), now, allowed, &leftovers);
            QVERIFY2(bad.isEmpty(), qPrintable(QString("kill %1: %2").arg(kill).arg(bad)));
            bigSeen.insert(now.value("c 4.dat"));
            // Between a card and the index the card is ahead; choosing the patient finishes it.
            const QString problem = disagreement(dir.path());
            QVERIFY2(problem.isEmpty(), qPrintable(QString("kill %1: %2").arg(kill).arg(problem)));
            midway += snapshot(dir.path()).value("client.crd") != now.value("client.crd");
        }
        // The kills fell at many moments, not all before the first write.
        QVERIFY2(bigSeen.size() >= 2, "the large card was seen in one state only");
        qInfo("200 kills, %d between a card and the index, %d temporary files left", midway, leftovers);
    }

    void faultsGiveHonestResults_data() {
        QTest::addColumn<int>("op");
        QTest::addColumn<bool>("diskFull"); // from write N on; else EIO on file call N
        for (int op = 0; op < crashtest::kOps; ++op)
            for (const bool full : {false, true})
                QTest::addRow("op %d, %s", op, full ? "disk full" : "EIO") << op << full;
    }
    void faultsGiveHonestResults() {
        QFETCH(int, op);
        QFETCH(bool, diskFull);
        QTemporaryDir base;
        QVERIFY(patientgen::writeDatabase(base.path(), {3, 3, 0, 1}));
        const Files initial = snapshot(base.path());
        PatientStore done{WorkFolder(base.path())};
        QVERIFY(!done.load() && !crashtest::run(done, op, 1)); // c 2.dat, a card with a tail
        const Files after = snapshot(base.path());
        int outcomes[3] = {}; // said done, failed, unfinished
        for (int n = 1, calls = 0, writes = 0; (diskFull ? writes : calls) >= n - 1; ++n) {
            QTemporaryDir dir;
            copyFiles(initial, dir.path());
            PatientStore store{WorkFolder(dir.path())};
            QVERIFY(!store.load());
            calls = writes = 0;
            fileaccess::setFaultHook([&](fileaccess::Call c, const QString&) {
                const bool write = c == fileaccess::Call::Write;
                writes += write;
                return diskFull ? (write && writes >= n ? ENOSPC : 0) : ++calls == n ? EIO : 0;
            });
            const Error e = crashtest::run(store, op, 1);
            fileaccess::setFaultHook({});
            const bool failed = e && e.fault != Fault::Unfinished;
            ++outcomes[!e ? 0 : failed ? 1 : 2];
            const QString problem = disagreement(dir.path());
            QVERIFY2(problem.isEmpty() && reported(dir.path()) == (failed ? initial : after),
                     qPrintable(QStringLiteral("fault at %1: %2 %3").arg(n).arg(e.message, problem)));
        }
        qInfo("%s: said done %d, failed and nothing changed %d, unfinished and finished %d",
              QTest::currentDataTag(), outcomes[0], outcomes[1], outcomes[2]);
        QVERIFY(outcomes[1] > 0);
    }
};

QTEST_GUILESS_MAIN(PatientCrashTest)
#include "tst_patientcrash.moc"
