#include "common/text1251.h"
#include "patientgen.h"
#include "patients/patientstore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace patients;

namespace {

const QDate kToday(2026, 12, 8);
const QString kTodayText = QStringLiteral("08.12.2026");

// Every file under the folder with its bytes, to see that nothing changed.
QMap<QString, QByteArray> snapshot(const QString& root) {
    QMap<QString, QByteArray> files;
    QDir db(root + "/Database");
    for (const QString& name : db.entryList(QDir::Files)) {
        QFile f(db.filePath(name));
        f.open(QIODevice::ReadOnly);
        files.insert(name, f.readAll());
    }
    return files;
}

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void put(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class PatientStoreTest : public QObject {
    Q_OBJECT
    QTemporaryDir* m_dir = nullptr;
    PatientStore* m_store = nullptr;
    QString db(const QString& name) const { return m_dir->filePath("Database/" + name); }

    // A store over three patients of three visits each (cards 1..3, card 3 on top).
    void generated() {
        patientgen::Options o;
        o.patients = 3;
        o.visits = 3;
        QVERIFY(patientgen::writeDatabase(m_dir->path(), o));
        QVERIFY(!m_store->load());
    }

  private slots:
    void init() {
        m_dir = new QTemporaryDir;
        m_store = new PatientStore(WorkFolder(m_dir->path()));
    }
    void cleanup() {
        delete m_store;
        delete m_dir;
    }

    void loadCreatesFolderAndIndex() {
        QVERIFY(!m_store->load());
        QCOMPARE(bytesOf(db("client.crd")), QByteArray("0\r\n*"));
        QVERIFY(m_store->index().records.isEmpty());
    }

    void unreadableIndexIsNeverReplaced_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("no star") << QByteArray("garbage\r\n");
        QTest::newRow("empty file") << QByteArray();
    }
    void unreadableIndexIsNeverReplaced() {
        QFETCH(QByteArray, bytes);
        put(db("client.crd"), bytes);
        QCOMPARE(m_store->load().fault, Fault::NotIndex);
        QCOMPARE(m_store->createPatient("A", "B", "1950", kToday).fault, Fault::NotIndex);
        QCOMPARE(snapshot(m_dir->path()), (QMap<QString, QByteArray>{{"client.crd", bytes}}));
    }

    void firstPatientGetsCardOne() {
        QVERIFY(!m_store->load());
        QVERIFY(!m_store->createPatient("  Иванов ", " Иван Иванович  ", " 1950", kToday));
        const QByteArray index =
            " 1\r\n*\xC8\xE2\xE0\xED\xEE\xE2 \xC8\xE2\xE0\xED \xC8\xE2\xE0\xED\xEE\xE2\xE8\xF7"
            "| 1950|08.12.2026 |c 1.dat|\r\n*";
        QCOMPARE(bytesOf(db("client.crd")), index);
        QCOMPARE(bytesOf(db("c 1.dat")), (blankVisit(kTodayText) + "@").toLatin1());
        QCOMPARE(m_store->index().records[0].cardFile(), QStringLiteral("c 1.dat"));
    }

    void counterKeptAfterDeletions() {
        QVERIFY(!m_store->load());
        for (const char* n : {"A", "B", "C"})
            QVERIFY(!m_store->createPatient(n, "x", "1", kToday));
        QVERIFY(!m_store->deletePatient(0)); // card 3, the newest
        QVERIFY(!m_store->deletePatient(1)); // card 1
        QVERIFY(!QFile::exists(db("c 3.dat")) && !QFile::exists(db("c 1.dat")));
        QVERIFY(!m_store->createPatient("D", "x", "1", kToday));
        QCOMPARE(m_store->index().records[0].cardFile(), QStringLiteral("c 4.dat"));
        QVERIFY(bytesOf(db("client.crd")).startsWith(" 4\r\n*D x|"));
    }

    void lastPatientDeletedRemovesTheIndex() {
        QVERIFY(!m_store->load());
        QVERIFY(!m_store->createPatient("A", "B", "1", kToday));
        QVERIFY(!m_store->deletePatient(0));
        QVERIFY(snapshot(m_dir->path()).isEmpty());
        // Without a new load the counter held in memory goes on.
        QVERIFY(!m_store->createPatient("C", "D", "2", kToday));
        QVERIFY(bytesOf(db("client.crd")).startsWith(" 2\r\n"));
        QVERIFY(!m_store->deletePatient(0));
        QVERIFY(!m_store->load());
        QCOMPARE(bytesOf(db("client.crd")), QByteArray("0\r\n*"));
    }

    void existingCardFileIsNeverTaken() {
        QVERIFY(!m_store->load());
        put(db("c 1.dat"), "someone's card");
        put(db("c 2.dat"), "another");
        QVERIFY(!m_store->createPatient("A", "B", "1", kToday));
        QCOMPARE(bytesOf(db("c 1.dat")), QByteArray("someone's card"));
        QCOMPARE(bytesOf(db("c 2.dat")), QByteArray("another"));
        QCOMPARE(m_store->index().records[0].cardFile(), QStringLiteral("c 3.dat"));
        QVERIFY(bytesOf(db("client.crd")).startsWith(" 3\r\n"));
    }

    void badCounterCreatesNothing_data() {
        QTest::addColumn<QByteArray>("index");
        QTest::newRow("at the limit") << QByteArray(" 32767\r\n*");
        QTest::newRow("not a number") << QByteArray("abc\r\n*");
        QTest::newRow("last free number taken") << QByteArray(" 32766\r\n*");
    }
    void badCounterCreatesNothing() {
        QFETCH(QByteArray, index);
        put(db("client.crd"), index);
        put(db("c 32767.dat"), "x");
        QVERIFY(!m_store->load());
        const auto before = snapshot(m_dir->path());
        const Error e = m_store->createPatient("A", "B", "1", kToday);
        QCOMPARE(e.fault, Fault::BadCounter);
        QVERIFY2(e.message.contains("Database"), qPrintable(e.message));
        QCOMPARE(snapshot(m_dir->path()), before);
    }

    void failedIndexWriteRemovesTheNewCard() {
        QVERIFY(!m_store->load());
        const auto before = snapshot(m_dir->path());
        m_store->setWriter([](const QString& path, const QByteArray& bytes, QString* error) {
            if (path.endsWith("client.crd")) {
                *error = "Не удается записать файл \"" + path + "\"";
                return false;
            }
            return textfile::writeBytes(path, bytes, error);
        });
        const Error e = m_store->createPatient("A", "B", "1", kToday);
        QCOMPARE(e.fault, Fault::WriteFailed);
        QVERIFY2(e.message.contains("client.crd"), qPrintable(e.message));
        QCOMPARE(snapshot(m_dir->path()), before);
        // The same for a visit added or deleted: the card goes back as it was.
        m_store->setWriter({});
        QVERIFY(!m_store->createPatient("A", "B", "1", kToday));
        QVERIFY(!m_store->addVisit(0, kToday.addDays(1)));
        const auto two = snapshot(m_dir->path());
        m_store->setWriter([](const QString& path, const QByteArray& bytes, QString* error) {
            return !path.endsWith("client.crd") && textfile::writeBytes(path, bytes, error);
        });
        QCOMPARE(m_store->addVisit(0, kToday).fault, Fault::WriteFailed);
        QCOMPARE(m_store->deleteVisit(0, 1).fault, Fault::WriteFailed);
        QCOMPARE(snapshot(m_dir->path()), two);
    }

    void indexTextRefused_data() {
        QTest::addColumn<QString>("surname");
        QTest::addColumn<QString>("year");
        QTest::addColumn<QString>("named");
        QTest::newRow("star in name") << "Ив*нов"
                                      << "1950"
                                      << "\"*\"";
        QTest::newRow("bar in name") << "Ив|нов"
                                     << "1950"
                                     << "\"|\"";
        QTest::newRow("star in year") << "Иванов"
                                      << "19*0"
                                      << "\"*\"";
        QTest::newRow("bar in year") << "Иванов"
                                     << "|"
                                     << "\"|\"";
        QTest::newRow("not in the code page") << "Ivanov\u4E2D"
                                              << "1950"
                                              << "\"\u4E2D\"";
    }
    void indexTextRefused() {
        QFETCH(QString, surname);
        QFETCH(QString, year);
        QFETCH(QString, named);
        QVERIFY(!m_store->load());
        const auto before = snapshot(m_dir->path());
        const Error e = m_store->createPatient(surname, "Иван", year, kToday);
        QCOMPARE(e.fault, Fault::BadText);
        QVERIFY2(e.message.contains(named), qPrintable(e.message));
        QCOMPARE(snapshot(m_dir->path()), before);
    }

    void cardNameOutsideTheFolderIsRefused_data() {
        QTest::addColumn<QString>("cardFile");
        QTest::newRow("parent") << "..\\victim.dat";
        QTest::newRow("path") << "sub/c 1.dat";
        QTest::newRow("absolute") << "/tmp/victim.dat";
        QTest::newRow("drive") << "C:\\victim.dat";
        QTest::newRow("index itself") << "client.crd";
    }
    void cardNameOutsideTheFolderIsRefused() {
        QFETCH(QString, cardFile);
        put(db("client.crd"), " 2\r\n*A B|1|01.01.2001 02.02.2002 |" + cardFile.toLatin1() +
                                  "|\r\n*C D|2|01.01.2001 |c 1.dat|\r\n*");
        put(m_dir->filePath("victim.dat"), "keep");
        QVERIFY(!m_store->load());
        const auto before = snapshot(m_dir->path());
        IndexRecord r;
        for (const Error& e :
             {m_store->choose(0, &r), m_store->deletePatient(0), m_store->addVisit(0, kToday),
              m_store->deleteVisit(0, 0), m_store->saveVisitTexts(0, 0, {"", "a", "b", "c"})})
            QCOMPARE(e.fault, Fault::BadCardName);
        session::Choice c{"A B", "1", cardFile, 0, "01.01.2001"};
        session::ResultsMatrix m;
        QCOMPARE(m_store->saveResults(c, c, m).fault, Fault::BadCardName);
        QCOMPARE(snapshot(m_dir->path()), before);
        QCOMPARE(bytesOf(m_dir->filePath("victim.dat")), QByteArray("keep"));
    }

    void addVisitPutsABlankVisitFirst() {
        generated();
        const QByteArray oldCard = bytesOf(db("c 3.dat"));
        QVERIFY(!m_store->addVisit(0, kToday));
        IndexRecord r;
        QVERIFY(!m_store->choose(0, &r));
        QCOMPARE(r.dateLines().first(), kTodayText);
        QCOMPARE(r.dateLines().size(), 5);
        const Card c = Card::parse(bytesOf(db("c 3.dat")));
        QCOMPARE(c.visits.first(), blankVisit(kTodayText));
        QCOMPARE(c.visits.size(), 4);
        QCOMPARE(c.visits.mid(1), Card::parse(oldCard).visits);
    }

    void deleteVisitRemovesThatVisit_data() {
        QTest::addColumn<int>("visit");
        for (int i = 0; i < 3; ++i)
            QTest::addRow("visit %d", i) << i;
    }
    void deleteVisitRemovesThatVisit() {
        QFETCH(int, visit);
        generated();
        const Card before = Card::parse(bytesOf(db("c 2.dat")));
        IndexRecord r;
        QVERIFY(!m_store->choose(1, &r));
        QStringList dates = r.dateLines();
        QVERIFY(!m_store->deleteVisit(1, visit));
        QStringList visits = before.visits;
        visits.removeAt(visit);
        dates.removeAt(visit);
        QCOMPARE(Card::parse(bytesOf(db("c 2.dat"))).visits, visits);
        QVERIFY(!m_store->choose(1, &r));
        QCOMPARE(r.dateLines(), dates);
    }

    void onlyOrNoDateIsNotDeleted_data() {
        QTest::addColumn<int>("visit");
        QTest::newRow("only") << 0;
        QTest::newRow("empty last line") << 1;
        QTest::newRow("none") << -1;
    }
    void onlyOrNoDateIsNotDeleted() {
        QFETCH(int, visit);
        QVERIFY(!m_store->load());
        QVERIFY(!m_store->createPatient("A", "B", "1", kToday));
        const auto before = snapshot(m_dir->path());
        const Error e = m_store->deleteVisit(0, visit);
        QCOMPARE(e.message, kOnlyVisit);
        QCOMPARE(snapshot(m_dir->path()), before);
    }

    void interruptedVisitChangeIsFinished() {
        generated();
        const QByteArray index = bytesOf(db("client.crd"));
        // The card written, the index not: as if killed between the two writes.
        QVERIFY(!m_store->addVisit(0, kToday));
        const QByteArray added = bytesOf(db("client.crd"));
        put(db("client.crd"), index);
        IndexRecord r;
        QVERIFY(!m_store->choose(0, &r));
        QCOMPARE(bytesOf(db("client.crd")), added);
        QVERIFY(!m_store->deleteVisit(0, 2));
        const QByteArray deleted = bytesOf(db("client.crd"));
        put(db("client.crd"), added);
        QVERIFY(!m_store->choose(0, &r));
        QCOMPARE(bytesOf(db("client.crd")), deleted);
    }

    void visitTexts() {
        generated();
        const Card before = Card::parse(bytesOf(db("c 3.dat")));
        QVERIFY(!m_store->saveVisitTexts(0, 1, {"", "  жалобы\r\nвторая ", "диагноз", "рецепт\r\nЁ"}));
        const Card after = Card::parse(bytesOf(db("c 3.dat")));
        QCOMPARE(after.visits[0], before.visits[0]);
        QCOMPARE(after.visits[2], before.visits[2]);
        QCOMPARE(visitFields(after.visits[1]).mid(4), visitFields(before.visits[1]).mid(4));
        QCOMPARE(visitFields(after.visits[1])[0], visitFields(before.visits[1])[0]);
        VisitTexts t;
        QVERIFY(!m_store->readVisitTexts(0, 1, &t));
        QCOMPARE(t.complaints, QStringLiteral("жалобы\r\nвторая"));
        QCOMPARE(t.prescription, QStringLiteral("рецепт\r\nЁ"));
        QCOMPARE(t.date, visitDate(before.visits[1]));
        QCOMPARE(m_store->readVisitTexts(0, 3, &t).fault, Fault::NoVisit);
    }

    void cardTextRefused_data() {
        QTest::addColumn<QString>("complaints");
        QTest::addColumn<QString>("prescription");
        QTest::addColumn<QString>("named");
        QTest::newRow("gt") << "a>b"
                            << ""
                            << "\">\" нельзя использовать в поле \"Жалобы\" (строка 1, позиция 2)";
        QTest::newRow("at on line 2") << ""
                                      << "x\r\nyy@"
                                      << "\"@\" нельзя использовать в поле \"Рецепт\" (строка 2, позиция 3)";
        QTest::newRow("not in the code page") << "ok\u4E2D"
                                              << ""
                                              << "\"\u4E2D\" в поле \"Жалобы\" (строка 1, позиция 3)";
    }
    void cardTextRefused() {
        QFETCH(QString, complaints);
        QFETCH(QString, prescription);
        QFETCH(QString, named);
        generated();
        const auto before = snapshot(m_dir->path());
        const Error e = m_store->saveVisitTexts(0, 0, {"", complaints, "", prescription});
        QCOMPARE(e.fault, Fault::BadText);
        QVERIFY2(e.message.contains(named), qPrintable(e.message));
        QCOMPARE(snapshot(m_dir->path()), before);
    }

    void saveTarget_data() {
        QTest::addColumn<session::Choice>("chosen");
        QTest::addColumn<session::Choice>("loaded");
        QTest::addColumn<int>("fault");
        const session::Choice v{"A", "1", "c 3.dat", 1, "d"};
        session::Choice noVisit = v;
        noVisit.visit = -1;
        session::Choice other = v;
        other.cardFile = "c 2.dat";
        session::Choice otherVisit = v;
        otherVisit.visit = 0;
        QTest::newRow("no patient") << session::Choice{} << v << int(Fault::NoPatient);
        QTest::newRow("no date line") << noVisit << session::Choice{} << int(Fault::NoVisit);
        QTest::newRow("nothing loaded") << v << session::Choice{} << int(Fault::NoVisit);
        QTest::newRow("earlier patient loaded") << v << other << int(Fault::NoVisit);
        QTest::newRow("other visit loaded") << v << otherVisit << int(Fault::NoVisit);
        QTest::newRow("the visit loaded") << v << v << int(Fault::None);
    }
    void saveTarget() {
        QFETCH(session::Choice, chosen);
        QFETCH(session::Choice, loaded);
        QFETCH(int, fault);
        QCOMPARE(int(checkSaveTarget(chosen, loaded).fault), fault);
    }

    void savedResultsComeBack() {
        generated();
        const Card before = Card::parse(bytesOf(db("c 3.dat")));
        const session::Choice v{"", "", "c 3.dat", 1, visitDate(before.visits[1])};
        session::ResultsMatrix m;
        m.cell(0, 0) = "80 -3";
        m.cell(20, 27) = "100 0";
        m.cell(24, 0) = "5 5";
        QVERIFY(!m_store->saveResults(v, v, m));
        const Card after = Card::parse(bytesOf(db("c 3.dat")));
        QCOMPARE(after.visits[0], before.visits[0]);
        QCOMPARE(after.visits[2], before.visits[2]);
        QCOMPARE(visitFields(after.visits[1]).mid(0, 4), visitFields(before.visits[1]).mid(0, 4));
        session::ResultsMatrix back;
        QVERIFY(!m_store->loadResults(v, &back));
        QCOMPARE(back, m);
        // A visit whose date no longer stands there is not written.
        session::Choice stale = v;
        stale.visitDate = "01.01.1900";
        const auto files = snapshot(m_dir->path());
        QCOMPARE(m_store->saveResults(stale, stale, m).fault, Fault::Changed);
        m.cell(3, 3) = "1,2";
        QCOMPARE(m_store->saveResults(v, v, m).fault, Fault::BadText);
        QCOMPARE(snapshot(m_dir->path()), files);
    }

    void staleListDoesNotDeleteAnother() {
        generated();
        // Another workstation put a patient on top since the list was read.
        QByteArray index = bytesOf(db("client.crd"));
        index.replace(" 3\r\n*", " 4\r\n*X Y|1|01.01.2001 |c 4.dat|\r\n*");
        put(db("client.crd"), index);
        const auto before = snapshot(m_dir->path());
        QCOMPARE(m_store->deletePatient(0).fault, Fault::Changed);
        QCOMPARE(snapshot(m_dir->path()), before);
    }
};

QTEST_GUILESS_MAIN(PatientStoreTest)
#include "tst_patientstore.moc"
