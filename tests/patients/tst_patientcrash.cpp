// A writer killed at random moments leaves every patient file either as it was or as it
// was meant to become, and the index and the cards agreeing.
#include "crashsteps.h"
#include "patientgen.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
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
    for (const QString& name : db.entryList(QDir::Files)) {
        if (name == "taven.lock") // a killed writer's lock, taken over by the next one
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

// Index dates and card dates, visit by visit.
QString disagreement(const QString& root) {
    PatientStore store{WorkFolder(root)};
    if (Error e = store.load())
        return e.message;
    for (int p = 0; p < store.index().records.size(); ++p) {
        IndexRecord r;
        if (Error e = store.choose(p, &r))
            return e.message;
        QFile f(store.cardPath(r.cardFile()));
        if (!f.open(QIODevice::ReadOnly))
            return "no card " + r.cardFile();
        const Card card = Card::parse(f.readAll());
        QStringList dates = r.dateLines();
        dates.removeLast();
        QStringList onCard;
        for (const QString& v : card.visits)
            onCard << visitDate(v);
        if (onCard != dates)
            return r.cardFile() + ": " + onCard.join(',') + " / " + dates.join(',');
    }
    return {};
}

using Allowed = QMap<QString, QSet<QByteArray>>;

// Every content a file may hold: as generated, and after each step of the writer.
Allowed allowedContents(const Files& initial) {
    Allowed allowed;
    for (auto it = initial.cbegin(); it != initial.cend(); ++it)
        allowed[it.key()].insert(it.value());
    QTemporaryDir scratch;
    copyFiles(initial, scratch.path());
    PatientStore store{WorkFolder(scratch.path())};
    store.load();
    for (int k = 0; k < 4; ++k) {
        if (!crashtest::step(store, k))
            return {};
        const Files now = snapshot(scratch.path());
        for (auto it = now.cbegin(); it != now.cend(); ++it)
            allowed[it.key()].insert(it.value());
    }
    return allowed;
}

// A file neither old nor new, or a file gone; temporary files of a cut write are removed.
QString unexpectedFile(const QString& root, const Files& now, const Allowed& allowed, int* leftovers) {
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (!allowed.contains(it.key())) {
            if (!it.key().contains(".dat.") && !it.key().contains(".crd."))
                return it.key() + " appeared";
            QFile::remove(root + "/Database/" + it.key());
            ++*leftovers;
        } else if (!allowed[it.key()].contains(it.value())) {
            return it.key() + " is neither old nor new";
        }
    }
    for (auto it = allowed.cbegin(); it != allowed.cend(); ++it)
        if (!now.contains(it.key()))
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
        QCOMPARE(allowed.size(), initial.size());

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
};

QTEST_GUILESS_MAIN(PatientCrashTest)
#include "tst_patientcrash.moc"
