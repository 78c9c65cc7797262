// The whole-file operations on a working folder.
#include "storefixture.h"

using namespace patients;
using namespace storetest;

class PatientStoreTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Fixture> m_f;
    QString db(const QString& name) const { return m_f->db(name); }
    QString root() const { return m_f->dir->path(); }
    void generated() { generate(*m_f); }

  private slots:
    void init() {
        m_f = std::make_unique<Fixture>();
        m_store = m_f->store.get();
    }
    void cleanup() { m_f.reset(); }

    void loadCreatesFolderAndIndex() {
        QVERIFY(!m_store->load());
        QCOMPARE(bytesOf(db("client.crd")), QByteArray("0\r\n*"));
        QVERIFY(m_store->index().records.isEmpty());
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
        QVERIFY(snapshot(root()).isEmpty());
        // Without a new load the counter held in memory goes on.
        QVERIFY(!m_store->createPatient("C", "D", "2", kToday));
        QVERIFY(bytesOf(db("client.crd")).startsWith(" 2\r\n"));
        QVERIFY(!m_store->deletePatient(0));
        QVERIFY(!m_store->load());
        QCOMPARE(bytesOf(db("client.crd")), QByteArray("0\r\n*"));
    }

    // Another workstation deleted the last patient, and with it the index: a patient made
    // here afterwards starts a fresh index, never bringing back the records seen before.
    void lastPatientDeletedElsewhere() {
        QVERIFY(!m_store->load());
        QVERIFY(!m_store->createPatient("A", "B", "1", kToday));
        PatientStore other{WorkFolder(root())};
        QVERIFY(!other.load());
        QVERIFY(!other.deletePatient(0));
        QVERIFY(!QFile::exists(db("client.crd")));
        QVERIFY(!m_store->createPatient("C", "D", "2", kToday));
        const auto index = Index::parse(bytesOf(db("client.crd")));
        QVERIFY(index);
        QCOMPARE(index->records.size(), 1);
        QCOMPARE(index->records[0].name(), QStringLiteral("C D"));
        QVERIFY(QFile::exists(db(index->records[0].cardFile())));
        QCOMPARE(m_store->index().records.size(), 1);
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

    void failedIndexWriteRemovesTheNewCard() {
        QVERIFY(!m_store->load());
        const auto before = snapshot(root());
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
        QCOMPARE(snapshot(root()), before);
        // The same for a visit added or deleted: the card goes back as it was.
        m_store->setWriter({});
        QVERIFY(!m_store->createPatient("A", "B", "1", kToday));
        QVERIFY(!m_store->addVisit(0, kToday.addDays(1)));
        const auto two = snapshot(root());
        m_store->setWriter([](const QString& path, const QByteArray& bytes, QString* error) {
            return !path.endsWith("client.crd") && textfile::writeBytes(path, bytes, error);
        });
        QCOMPARE(m_store->addVisit(0, kToday).fault, Fault::WriteFailed);
        QCOMPARE(m_store->deleteVisit(0, 1).fault, Fault::WriteFailed);
        QCOMPARE(snapshot(root()), two);
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

    // What another workstation did to the index between the list's read and the click on
    // patient 1 (card 2): pieces are the index split at "*" (counter, three records, tail).
    void chooseReadsTheIndexAfresh_data() {
        QTest::addColumn<int>("edit");
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("records"); // in the store's index afterwards
        const int ok = int(Fault::None), changed = int(Fault::Changed);
        QTest::newRow("nothing") << 0 << ok << 3;
        QTest::newRow("longer tail") << 1 << ok << 3;
        QTest::newRow("another patient renamed") << 2 << ok << 3;
        QTest::newRow("own year mended") << 3 << ok << 3;
        QTest::newRow("cut after the chosen record") << 4 << ok << 2;
        QTest::newRow("moved down by a new patient") << 5 << changed << 3;
        QTest::newRow("deleted, the next in its place") << 6 << changed << 3;
        QTest::newRow("deleted with all after it") << 7 << changed << 3;
        QTest::newRow("index deleted") << 8 << changed << 3;
    }
    void chooseReadsTheIndexAfresh() {
        QFETCH(int, edit);
        QFETCH(int, fault);
        QFETCH(int, records);
        generated();
        const QList<IndexRecord> before = m_store->index().records;
        QList<QByteArray> p = bytesOf(db("client.crd")).split('*');
        QCOMPARE(p.size(), 5);
        const QByteArray renamed = "\xDF\xEA\xEE\xE2 \xFF|1900|01.01.2001 |c 3.dat|\r\n";
        switch (edit) {
        case 1:
            p[4] += "\r\n\r\n";
            break;
        case 2:
            p[1] = renamed;
            break;
        case 3:
            p[2].replace('|' + before[1].year().toLatin1() + '|', "|1901|");
            break;
        case 4:
            p = p.mid(0, 4);
            break;
        case 5:
            p.insert(1, "X Y|1|01.01.2001 |c 4.dat|\r\n");
            break;
        case 6:
            p.removeAt(2);
            break;
        case 7:
            p = p.mid(0, 2) << "";
            break;
        }
        const QByteArray now = p.join('*');
        if (edit == 8)
            QVERIFY(QFile::remove(db("client.crd")));
        else
            put(db("client.crd"), now);
        IndexRecord r;
        QCOMPARE(int(m_store->choose(1, &r).fault), fault);
        QCOMPARE(m_store->index().records.size(), records);
        if (fault != int(Fault::None)) { // the list as it was, to be read on the next opening
            for (qsizetype k = 0; k < before.size(); ++k)
                QCOMPARE(m_store->index().records[k].text(), before[k].text());
            return;
        }
        // The store's index is the file as it is now, the chosen record decoded from it.
        const auto fresh = Index::parse(now);
        QVERIFY(fresh);
        for (qsizetype k = 0; k < records; ++k)
            QCOMPARE(m_store->index().records[k].text(), fresh->records[k].text());
        QCOMPARE(r.text(), fresh->records[1].text());
        QCOMPARE(r.cardFile(), QStringLiteral("c 2.dat"));
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
        const auto files = snapshot(root());
        QCOMPARE(m_store->saveResults(stale, stale, m).fault, Fault::Changed);
        m.cell(3, 3) = "1,2";
        QCOMPARE(m_store->saveResults(v, v, m).fault, Fault::BadText);
        QCOMPARE(snapshot(root()), files);
    }

  private:
    PatientStore* m_store = nullptr;
};

QTEST_GUILESS_MAIN(PatientStoreTest)
#include "tst_patientstore.moc"
