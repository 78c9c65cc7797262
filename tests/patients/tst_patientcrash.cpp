// The crash and fault harness: a writer killed at random moments, and each operation with
// one file call failing or the disk full from one write on. Every file stays as it was or
// as it was meant to become, never holding another visit's data; the index and the cards
// agree; an operation said done was done, and one said failed left the files as they were.
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

using namespace crashtest;

namespace {

using Files = QMap<QString, QByteArray>;

// The data files; the temporaries of a cut write are counted and removed.
Files snapshot(const QString& root, int* temporaries = nullptr) {
    Files files;
    const QDir db(root + "/Database");
    for (const QString& name : db.entryList(QDir::Files | QDir::Hidden)) {
        if (fileaccess::isOwnTemporary(name) && temporaries) {
            ++*temporaries;
            QFile::remove(db.filePath(name));
        } else if (name != "taven.lock") { // a killed writer's lock, taken over by the next one
            QFile f(db.filePath(name));
            f.open(QIODevice::ReadOnly);
            files.insert(name, f.readAll());
        }
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

// Without the cards no record names: a left-over is reported or taken by the next patient.
Files referenced(Files files) {
    const Index ix = Index::parse(files.value("client.crd")).value_or(Index());
    for (const QString& name : files.keys())
        if (cardNumber(name) && std::none_of(ix.records.cbegin(), ix.records.cend(),
                                             [&](const IndexRecord& r) { return r.cardFile() == name; }))
            files.remove(name);
    return files;
}

// Every patient chosen (which finishes a change cut between card and index) and shown with
// a card that agrees with its record.
QString inconsistency(const QString& root) {
    PatientStore store{WorkFolder(root)};
    if (Error e = store.load())
        return e.message;
    for (int p = 0; p < store.index().records.size(); ++p) {
        PatientView v;
        if (Error e = store.choose(p, &v))
            return e.message;
        for (const VisitRef& visit : v.visits)
            if (visit.token.isEmpty())
                return v.ref.cardFile + " disagrees with its record";
    }
    return {};
}

// The index without what grows by one a round: its counter, the new patient's card number.
QString withoutCounter(const QByteArray& index) {
    static const QRegularExpression newCard(QStringLiteral("\\|c ([5-9]|\\d\\d+)\\.dat\\|"));
    return QString::fromLatin1(index.mid(index.indexOf('*'))).replace(newCard, QStringLiteral("|c new.dat|"));
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
        // Every content a file may hold: as generated, and after each step of one round.
        QMap<QString, QSet<QString>> allowed;
        QTemporaryDir scratch;
        copyFiles(initial, scratch.path());
        PatientStore sim{WorkFolder(scratch.path())};
        QVERIFY(!sim.load());
        for (int k = 0; k <= kOps; ++k) {
            for (auto [name, bytes] : snapshot(scratch.path()).asKeyValueRange())
                allowed[cardNumber(name) > 4 ? "new card" : name]
                    << (name == "client.crd" ? withoutCounter(bytes) : QString::fromLatin1(bytes));
            QVERIFY(k == kOps || step(sim, "c 4.dat"));
        }
        int midway = 0, temporaries = 0, leftOver = 0;
        QSet<QString> seen;
        for (int kill = 1; kill <= 200; ++kill) {
            QProcess child;
            child.start(CRASHCHILD, {dir.path()});
            QVERIFY(child.waitForReadyRead(10000));
            // Up to a few steps of about 70 ms each on a slow disk.
            QThread::usleep(QRandomGenerator::global()->bounded(250000));
            QVERIFY2(child.state() == QProcess::Running, child.readAllStandardError().constData());
            child.kill();
            QVERIFY(child.waitForFinished(10000));
            const Files now = snapshot(dir.path(), &temporaries);
            for (auto [name, bytes] : now.asKeyValueRange()) {
                const QString key = initial.contains(name) ? name : "new card";
                const QString content =
                    name == "client.crd" ? withoutCounter(bytes) : QString::fromLatin1(bytes);
                QVERIFY2(allowed[key].contains(content),
                         qPrintable(QString("kill %1: %2").arg(kill).arg(name)));
                seen << content;
            }
            for (const QString& name : initial.keys())
                QVERIFY2(now.contains(name), qPrintable(QString("kill %1: %2 is gone").arg(kill).arg(name)));
            const QString problem = inconsistency(dir.path());
            QVERIFY2(problem.isEmpty(), qPrintable(QString("kill %1: %2").arg(kill).arg(problem)));
            const Files after = snapshot(dir.path());
            midway += after.value("client.crd") != now.value("client.crd");
            // A blank card past the counter goes to the next patient; any other is reported.
            PatientStore store{WorkFolder(dir.path())};
            QVERIFY(!store.load());
            const qsizetype unnamed = after.size() - referenced(after).size();
            leftOver = std::max(leftOver, int(unnamed));
            QVERIFY2(unnamed <= store.leftOverCards().size() + 1, qPrintable(QString("kill %1").arg(kill)));
        }
        // The kills fell at many moments, not all before the first write.
        QVERIFY2(seen.size() >= 8, qPrintable(QString("%1 contents seen").arg(seen.size())));
        qInfo("kills 200: %d between a card and the index, %d temporaries left, at most %d cards without a "
              "record at once, %lld file contents seen",
              midway, temporaries, leftOver, qlonglong(seen.size()));
    }

    void faultsGiveHonestResults_data() {
        QTest::addColumn<int>("op");
        QTest::addColumn<bool>("diskFull"); // else EIO on one call
        for (int op = 0; op < kOps; ++op)
            for (const bool full : {false, true})
                QTest::addRow("%s, %s", kOpNames[op], full ? "disk full from write N" : "EIO on call N")
                    << op << full;
    }
    void faultsGiveHonestResults() {
        QFETCH(int, op);
        QFETCH(bool, diskFull);
        QTemporaryDir base;
        QVERIFY(patientgen::writeDatabase(base.path(), {3, 3, 0, 1}));
        const Files initial = snapshot(base.path());
        PatientStore done{WorkFolder(base.path())};
        QVERIFY(!done.load() && !run(done, op, "c 3.dat"));
        const Files after = referenced(snapshot(base.path()));
        int outcomes[3] = {}; // done, failed, unfinished
        for (int n = 1;; ++n) {
            QTemporaryDir dir;
            copyFiles(initial, dir.path());
            PatientStore store{WorkFolder(dir.path())};
            QVERIFY(!store.load());
            int calls = 0, writes = 0;
            fileaccess::setFaultHook([&](fileaccess::Call c, const QString&) {
                writes += c == fileaccess::Call::Write;
                return diskFull       ? (c == fileaccess::Call::Write && writes >= n ? ENOSPC : 0)
                       : ++calls == n ? EIO
                                      : 0;
            });
            const Error e = run(store, op, "c 3.dat");
            fileaccess::setFaultHook({});
            if ((diskFull ? writes : calls) < n) {
                QVERIFY2(!e, qPrintable(e.message));
                break;
            }
            const QString at = QStringLiteral("fault at %1: %2").arg(n).arg(e.message);
            ++outcomes[!e ? 0 : e.fault == Fault::Unfinished ? 2 : 1];
            QVERIFY2(inconsistency(dir.path()).isEmpty(), qPrintable(at + inconsistency(dir.path())));
            QVERIFY2(referenced(snapshot(dir.path())) ==
                         (e && e.fault != Fault::Unfinished ? initial : after),
                     qPrintable(at));
        }
        qInfo("%s: %d runs, said done %d, said failed and unchanged %d, said unfinished and finished %d",
              QTest::currentDataTag(), outcomes[0] + outcomes[1] + outcomes[2], outcomes[0], outcomes[1],
              outcomes[2]);
        QVERIFY(outcomes[1] > 0);
    }
};

QTEST_GUILESS_MAIN(PatientCrashTest)
#include "tst_patientcrash.moc"
