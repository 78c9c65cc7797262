// The whole-file operations on a working folder.
#include "common/folderlock.h"
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

    void lastPatientDeletedRemovesTheIndex() {
        QVERIFY(!m_store->load());
        QVERIFY(!m_store->createPatient("A", "B", "1", kToday));
        QVERIFY(!m_store->deletePatient(chosen(*m_store, 0).ref));
        QVERIFY(snapshot(root()).isEmpty());
        // Without a new load the counter held in memory goes on.
        QVERIFY(!m_store->createPatient("C", "D", "2", kToday));
        QVERIFY(bytesOf(db("client.crd")).startsWith(" 2\r\n"));
        QVERIFY(!m_store->deletePatient(chosen(*m_store, 0).ref));
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
        QVERIFY(!other.deletePatient(chosen(other, 0).ref));
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
        // A blank card past the counter is what a stopped "Завести карту" leaves: it is taken.
        put(db("c 3.dat"), cp1251::encode(blankVisit("01.01.2020") + u'@'));
        QVERIFY(!m_store->createPatient("A", "B", "1", kToday));
        QCOMPARE(bytesOf(db("c 1.dat")), QByteArray("someone's card"));
        QCOMPARE(bytesOf(db("c 2.dat")), QByteArray("another"));
        QCOMPARE(m_store->index().records[0].cardFile(), QStringLiteral("c 3.dat"));
        QVERIFY(bytesOf(db("client.crd")).startsWith(" 3\r\n"));
        QStringList reported = m_store->leftOverCards();
        reported.sort();
        QCOMPARE(reported, (QStringList{"c 1.dat", "c 2.dat"}));
    }

    void failedIndexWriteRemovesTheNewCard() {
        QVERIFY(!m_store->load());
        const auto before = snapshot(root());
        const InjectedFault full(fileaccess::Call::Rename, "client.crd", ENOSPC);
        const Error e = m_store->createPatient("A", "B", "1", kToday);
        QCOMPARE(e.fault, Fault::WriteFailed);
        QVERIFY2(e.message.contains("client.crd"), qPrintable(e.message));
        QCOMPARE(snapshot(root()), before);
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
        PatientView v;
        QCOMPARE(int(m_store->choose(1, &v).fault), fault);
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
        QCOMPARE(v.record.text(), fresh->records[1].text());
        QCOMPARE(v.ref.cardFile, QStringLiteral("c 2.dat"));
    }

    // The card written, the index not (a kill between them): shown finished while the lock is
    // held elsewhere; a deletion from the dates shown before never deletes a neighbour. Dates
    // apart beyond one interrupted change are neither added to nor deleted from.
    void interruptedVisitChangeIsFinished() {
        generated();
        const PatientView shown = chosen(*m_store, 0);
        const QByteArray index = bytesOf(db("client.crd"));
        PatientView v;
        QVERIFY(!m_store->addVisit(shown.ref, kToday, &v));
        const QByteArray added = bytesOf(db("client.crd")), card = bytesOf(db("c 3.dat"));
        put(db("client.crd"), index);
        {
            const FolderLock held(db(QString()));
            VisitTexts t;
            QVERIFY(held.locked() && !m_store->load() &&
                    !m_store->readVisit(chosen(*m_store, 0).visits[1], &t));
            QCOMPARE(chosen(*m_store, 0).visits, v.visits);
            QCOMPARE(bytesOf(db("client.crd")), index);
        }
        QCOMPARE(m_store->deleteVisit(shown.visits[1], &v).fault, Fault::Changed);
        QCOMPARE(bytesOf(db("c 3.dat")), card);
        QCOMPARE(bytesOf(db("client.crd")), added);
        v = chosen(*m_store, 0);
        QVERIFY(!m_store->deleteVisit(v.visits[2], &v));
        const QByteArray deleted = bytesOf(db("client.crd"));
        put(db("client.crd"), added);
        QCOMPARE(chosen(*m_store, 0).visits, v.visits);
        QCOMPARE(bytesOf(db("client.crd")), deleted);
        put(db("c 3.dat"), bytesOf(db("c 3.dat")).replace(v.record.dateLines()[1].toLatin1(), "01.01.1901"));
        v = chosen(*m_store, 0);
        const auto before = snapshot(root());
        QCOMPARE(m_store->addVisit(v.ref, kToday, &v).fault, Fault::Mismatch);
        QCOMPARE(m_store->deleteVisit(v.visits[0], &v).fault, Fault::Mismatch);
        QCOMPARE(snapshot(root()), before);
    }

    // A last record that lost its "@" to an older program's crash is shown, never written.
    void cutLastVisitIsKept() {
        generated();
        const QByteArray whole = bytesOf(db("c 3.dat"));
        put(db("c 3.dat"), whole.left(whole.lastIndexOf('@') - 300));
        const auto files = snapshot(root());
        PatientView v = chosen(*m_store, 0);
        VisitTexts t;
        QVERIFY(v.cut && !m_store->readVisit(v.visits[2], &t));
        QCOMPARE(m_store->saveVisitTexts(v.visits[2], t, &v.visits[0]).fault, Fault::Cut);
        QCOMPARE(snapshot(root()), files);
    }

  private:
    PatientStore* m_store = nullptr;
};

QTEST_GUILESS_MAIN(PatientStoreTest)
#include "tst_patientstore.moc"
