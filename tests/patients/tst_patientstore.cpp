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

    void counterKeptAfterDeletions() {
        QVERIFY(!m_store->load());
        for (const char* n : {"A", "B", "C"})
            QVERIFY(!m_store->createPatient(n, "x", "1", kToday));
        QVERIFY(!m_store->deletePatient(chosen(*m_store, 0).ref)); // card 3, the newest
        QVERIFY(!m_store->deletePatient(chosen(*m_store, 1).ref)); // card 1
        QVERIFY(!QFile::exists(db("c 3.dat")) && !QFile::exists(db("c 1.dat")));
        QVERIFY(!m_store->createPatient("D", "x", "1", kToday));
        QCOMPARE(m_store->index().records[0].cardFile(), QStringLiteral("c 4.dat"));
        QVERIFY(bytesOf(db("client.crd")).startsWith(" 4\r\n*D x|"));
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
        QVERIFY(!m_store->createPatient("A", "B", "1", kToday));
        QCOMPARE(bytesOf(db("c 1.dat")), QByteArray("someone's card"));
        QCOMPARE(bytesOf(db("c 2.dat")), QByteArray("another"));
        QCOMPARE(m_store->index().records[0].cardFile(), QStringLiteral("c 3.dat"));
        QVERIFY(bytesOf(db("client.crd")).startsWith(" 3\r\n"));
    }

    // A failed index write takes back what was written before it, byte for byte: the new
    // card, or a card as read with its tail.
    void failedIndexWriteRemovesTheNewCard() {
        QVERIFY(!m_store->load());
        const auto before = snapshot(root());
        {
            const InjectedFault full(fileaccess::Call::Rename, "client.crd", ENOSPC);
            const Error e = m_store->createPatient("A", "B", "1", kToday);
            QCOMPARE(e.fault, Fault::WriteFailed);
            QVERIFY2(e.message.contains("client.crd"), qPrintable(e.message));
        }
        QCOMPARE(snapshot(root()), before);
        QVERIFY(!m_store->createPatient("A", "B", "1", kToday));
        put(db("c 1.dat"), bytesOf(db("c 1.dat")) + "\r\n\r\n");
        PatientView v = chosen(*m_store, 0);
        QVERIFY(!m_store->addVisit(v.ref, kToday.addDays(1), &v));
        const auto two = snapshot(root());
        const InjectedFault full(fileaccess::Call::Rename, "client.crd", ENOSPC);
        QCOMPARE(m_store->addVisit(v.ref, kToday, &v).fault, Fault::WriteFailed);
        QCOMPARE(m_store->deleteVisit(v.visits[1], &v).fault, Fault::WriteFailed);
        QCOMPARE(snapshot(root()), two);
    }

    void addVisitPutsABlankVisitFirst() {
        generated();
        const QByteArray oldCard = bytesOf(db("c 3.dat"));
        PatientView v;
        QVERIFY(!m_store->addVisit(chosen(*m_store, 0).ref, kToday, &v));
        QCOMPARE(chosen(*m_store, 0).visits, v.visits);
        QCOMPARE(v.record.dateLines().first(), kTodayText);
        QCOMPARE(v.record.dateLines().size(), 5);
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
        PatientView v = chosen(*m_store, 1);
        QStringList dates = v.record.dateLines();
        QVERIFY(!m_store->deleteVisit(v.visits[visit], &v));
        QStringList visits = before.visits;
        visits.removeAt(visit);
        dates.removeAt(visit);
        QCOMPARE(Card::parse(bytesOf(db("c 2.dat"))).visits, visits);
        QCOMPARE(chosen(*m_store, 1).record.dateLines(), dates);
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

    // The card written, the index not (a kill between the two writes): a deletion from the
    // dates as shown before is refused, never deleting a neighbour; the change is finished.
    void interruptedVisitChangeIsFinished() {
        generated();
        const PatientView shown = chosen(*m_store, 0);
        const QByteArray index = bytesOf(db("client.crd"));
        PatientView v;
        QVERIFY(!m_store->addVisit(shown.ref, kToday, &v));
        const QByteArray added = bytesOf(db("client.crd")), card = bytesOf(db("c 3.dat"));
        put(db("client.crd"), index);
        QCOMPARE(m_store->deleteVisit(shown.visits[1], &v).fault, Fault::Changed);
        QCOMPARE(bytesOf(db("c 3.dat")), card);
        QCOMPARE(bytesOf(db("client.crd")), added);
        put(db("client.crd"), index);
        v = chosen(*m_store, 0);
        QCOMPARE(bytesOf(db("client.crd")), added);
        QVERIFY(!m_store->deleteVisit(v.visits[2], &v));
        const QByteArray deleted = bytesOf(db("client.crd"));
        put(db("client.crd"), added);
        QCOMPARE(chosen(*m_store, 0).visits, v.visits);
        QCOMPARE(bytesOf(db("client.crd")), deleted);
    }

    // Two visits of one date, the first changed elsewhere: every change through the reference
    // read before is refused and writes nothing, into it or into the other.
    void staleVisitIsNotWritten_data() {
        QTest::addColumn<int>("op");
        QTest::addColumn<bool>("deleted"); // elsewhere: deleted, or its texts saved
        for (const bool deleted : {true, false})
            for (int op = 0; op < 4; ++op)
                QTest::addRow("%s, op %d", deleted ? "deleted" : "texts saved", op) << op << deleted;
    }
    void staleVisitIsNotWritten() {
        QFETCH(int, op);
        QFETCH(bool, deleted);
        generated();
        PatientView v = chosen(*m_store, 0);
        QVERIFY(!m_store->addVisit(v.ref, kToday, &v) && !m_store->addVisit(v.ref, kToday, &v));
        PatientStore other{WorkFolder(root())};
        QVERIFY(!other.load());
        PatientView o = chosen(other, 0);
        VisitRef now;
        QVERIFY(deleted ? !other.deleteVisit(o.visits[0], &o)
                        : !other.saveVisitTexts(o.visits[0], {"x"}, &now));
        const auto before = snapshot(root());
        session::ResultsMatrix m;
        m.cell(0, 0) = "1 1";
        const VisitRef& stale = v.visits[0];
        const Error e = op == 0   ? m_store->saveVisitTexts(stale, {"y"}, &now)
                        : op == 1 ? m_store->saveResults(stale, m, &now)
                        : op == 2 ? m_store->deleteVisit(stale, &v)
                                  : m_store->loadResults(stale, &m);
        QCOMPARE(e.fault, Fault::Changed);
        QVERIFY2(e.message.contains("c 3.dat"), qPrintable(e.message));
        QCOMPARE(snapshot(root()), before);
    }

    // A change hands back the visit as written, so this workstation's next change to it goes
    // through; the reference as it was before is refused.
    void ownChangeHandsBackTheVisit() {
        generated();
        const VisitRef was = chosen(*m_store, 0).visits[1];
        VisitRef now, again;
        QVERIFY(!m_store->saveVisitTexts(was, {"a", "b", "c"}, &now));
        session::ResultsMatrix m;
        m.cell(0, 0) = "5 5";
        QVERIFY(!m_store->saveResults(now, m, &again));
        QCOMPARE(chosen(*m_store, 0).visits[1], again);
        QCOMPARE(m_store->saveResults(was, m, &now).fault, Fault::Changed);
    }

    void visitTexts() {
        generated();
        const Card before = Card::parse(bytesOf(db("c 3.dat")));
        const VisitRef v = chosen(*m_store, 0).visits[1];
        VisitRef now;
        QVERIFY(!m_store->saveVisitTexts(v, {"  жалобы\r\nвторая ", "диагноз", "рецепт\r\nЁ"}, &now));
        const Card after = Card::parse(bytesOf(db("c 3.dat")));
        QCOMPARE(after.visits[0], before.visits[0]);
        QCOMPARE(after.visits[2], before.visits[2]);
        QCOMPARE(visitFields(after.visits[1]).mid(4), visitFields(before.visits[1]).mid(4));
        QCOMPARE(visitFields(after.visits[1])[0], visitFields(before.visits[1])[0]);
        VisitTexts t;
        QVERIFY(!m_store->readVisit(now, &t));
        QCOMPARE(t.complaints, QStringLiteral("жалобы\r\nвторая"));
        QCOMPARE(t.prescription, QStringLiteral("рецепт\r\nЁ"));
        // Every character of the code page but the two separators comes back as saved.
        QByteArray all("a");
        for (int b = 0x20; b <= 0xFF; ++b)
            if (b != '>' && b != '@')
                all += char(b);
        const QString every = cp1251::decode(all);
        QVERIFY(!m_store->saveVisitTexts(now, {every, every, every}, &now));
        QVERIFY(!m_store->readVisit(now, &t));
        QCOMPARE(QStringList({t.complaints, t.diagnosis, t.prescription}),
                 QStringList({every, every, every}));
    }

    void savedResultsComeBack() {
        generated();
        const Card before = Card::parse(bytesOf(db("c 3.dat")));
        const VisitRef v = chosen(*m_store, 0).visits[1];
        session::ResultsMatrix m;
        m.cell(0, 0) = "80 -3";
        m.cell(20, 27) = "100 0";
        m.cell(24, 0) = "5 5";
        VisitRef now;
        QVERIFY(!m_store->saveResults(v, m, &now));
        const Card after = Card::parse(bytesOf(db("c 3.dat")));
        QCOMPARE(after.visits[0], before.visits[0]);
        QCOMPARE(after.visits[2], before.visits[2]);
        QCOMPARE(visitFields(after.visits[1]).mid(0, 4), visitFields(before.visits[1]).mid(0, 4));
        session::ResultsMatrix back;
        QVERIFY(!m_store->loadResults(now, &back));
        QCOMPARE(back, m);
        const auto files = snapshot(root());
        m.cell(3, 3) = "1,2";
        QCOMPARE(m_store->saveResults(now, m, &now).fault, Fault::BadText);
        QCOMPARE(snapshot(root()), files);
    }

    // A branch row an older program wrote without commas: a save of other cells goes through,
    // and every row it did not change is written back as read.
    void legacyRowIsWrittenBackAsRead() {
        generated();
        Card c = Card::parse(bytesOf(db("c 3.dat")));
        QStringList f = visitFields(c.visits[0]);
        f[kFirstRowField + 22] = "55 3\r\n";
        c.visits[0] = f.join(u'>');
        put(db("c 3.dat"), c.serialise());
        const VisitRef v = chosen(*m_store, 0).visits[0];
        session::ResultsMatrix m;
        QVERIFY(!m_store->loadResults(v, &m));
        m.cell(0, 0) = "70 -2";
        VisitRef now;
        const Error e = m_store->saveResults(v, m, &now);
        QVERIFY2(!e, qPrintable(e.message));
        const QStringList after = visitFields(Card::parse(bytesOf(db("c 3.dat"))).visits[0]);
        QCOMPARE(after.mid(kFirstRowField + 1), f.mid(kFirstRowField + 1));
        QCOMPARE(after[kFirstRowField].section(u',', 0, 0), QStringLiteral("70 -2"));
    }

    // A card whose last record lost its "@" to a crash of an older program: shown with every
    // date, and every save elsewhere in it keeps the cut visit's bytes; the cut visit is read,
    // never written.
    void cutLastVisitIsKept() {
        generated();
        const QByteArray whole = bytesOf(db("c 3.dat"));
        const QByteArray cut = whole.left(whole.lastIndexOf('@') - 300);
        put(db("c 3.dat"), cut);
        const QByteArray index = bytesOf(db("client.crd"));
        const PatientView v = chosen(*m_store, 0);
        QVERIFY(v.cut);
        QCOMPARE(v.visits.size(), 3);
        QCOMPARE(bytesOf(db("client.crd")), index);
        VisitRef now;
        QVERIFY(!m_store->saveVisitTexts(v.visits[0], {"новое"}, &now));
        const QByteArray after = bytesOf(db("c 3.dat"));
        QCOMPARE(after.mid(after.indexOf('@')), cut.mid(cut.indexOf('@')));
        VisitTexts t;
        QVERIFY(!m_store->readVisit(v.visits[2], &t));
        QCOMPARE(m_store->saveVisitTexts(v.visits[2], t, &now).fault, Fault::Cut);
        QCOMPARE(bytesOf(db("c 3.dat")), after);
    }

    // Files an older workstation wrote with LF line ends read without false messages and
    // take changes; lines not changed keep their own line ends.
    void lfOnlyFilesKeepTheirLineEnds() {
        generated();
        for (const QString& name : snapshot(root()).keys())
            put(db(name), bytesOf(db(name)).replace("\r\n", "\n"));
        QVERIFY(!m_store->load());
        const PatientView v = chosen(*m_store, 0);
        const QByteArray card = bytesOf(db("c 3.dat"));
        VisitTexts t;
        QVERIFY(!m_store->readVisit(v.visits[1], &t));
        t.complaints = "новое";
        VisitRef now;
        const Error e = m_store->saveVisitTexts(v.visits[1], t, &now);
        QVERIFY2(!e, qPrintable(e.message));
        const QByteArray after = bytesOf(db("c 3.dat"));
        QCOMPARE(after.count("\r\n"), card.count("\r\n"));
        QCOMPARE(Card::parse(after).visits.mid(2), Card::parse(card).visits.mid(2));
        PatientView added;
        QVERIFY(!m_store->addVisit(v.ref, kToday, &added));
        QVERIFY(!m_store->createPatient("A", "B", "1", kToday));
        QVERIFY(bytesOf(db("client.crd")).startsWith(" 4\n*A B|1|"));
    }

    // Another workstation holds the lock (or the folder cannot be written): the list, a card
    // and its results can be read, a change cut between card and index is shown finished but
    // not written, and a change is refused.
    void readingNeedsNoLock() {
        generated();
        const QByteArray index = bytesOf(db("client.crd"));
        PatientView v;
        QVERIFY(!m_store->addVisit(chosen(*m_store, 0).ref, kToday, &v));
        put(db("client.crd"), index);
        const FolderLock held(db(QString()));
        QVERIFY(held.locked());
        const auto files = snapshot(root());
        QVERIFY(!m_store->load());
        v = chosen(*m_store, 0);
        QCOMPARE(v.record.dateLines().first(), kTodayText);
        VisitTexts t;
        session::ResultsMatrix m;
        QVERIFY(!m_store->readVisit(v.visits[1], &t) && !m_store->loadResults(v.visits[1], &m));
        QCOMPARE(m_store->saveResults(v.visits[1], m, &v.visits[1]).fault, Fault::Locked);
        QCOMPARE(snapshot(root()), files);
    }

    // A "Завести карту" stopped between card and index leaves a blank card at the next
    // number: the next patient takes it. A card with data that no record names is reported.
    void leftOverCards() {
        generated();
        put(db("c 4.dat"), cp1251::encode(blankVisit("01.01.2020") + u'@'));
        put(db("c 9.dat"), "01.01.2020\r\n>deleted patient's complaints@");
        QVERIFY(!m_store->createPatient("A", "B", "1", kToday));
        QCOMPARE(m_store->index().records[0].cardFile(), QStringLiteral("c 4.dat"));
        QCOMPARE(m_store->leftOverCards(), QStringList{"c 9.dat"});
    }

  private:
    PatientStore* m_store = nullptr;
};

QTEST_GUILESS_MAIN(PatientStoreTest)
#include "tst_patientstore.moc"
