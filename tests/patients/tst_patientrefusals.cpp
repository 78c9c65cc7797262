// What the store refuses, and that a refusal leaves every file as it was.
#include "storefixture.h"

using namespace patients;
using namespace storetest;

class PatientRefusalsTest : public QObject {
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
        QCOMPARE(snapshot(root()), (QMap<QString, QByteArray>{{"client.crd", bytes}}));
    }

    void badCounterCreatesNothing_data() {
        QTest::addColumn<QByteArray>("index");
        QTest::addColumn<QString>("said");
        QTest::newRow("at the limit") << QByteArray(" 32767\r\n*") << "исчерпаны";
        QTest::newRow("not a number") << QByteArray("abc\r\n*") << "не число";
        QTest::newRow("last free number taken") << QByteArray(" 32766\r\n*") << "исчерпаны";
    }
    void badCounterCreatesNothing() {
        QFETCH(QByteArray, index);
        QFETCH(QString, said);
        put(db("client.crd"), index);
        put(db("c 32767.dat"), "x");
        QVERIFY(!m_store->load());
        const auto before = snapshot(root());
        const Error e = m_store->createPatient("A", "B", "1", kToday);
        QCOMPARE(e.fault, Fault::BadCounter);
        QVERIFY2(e.message.contains("Database") && e.message.contains(said), qPrintable(e.message));
        QCOMPARE(snapshot(root()), before);
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
        QTest::newRow("line break in name") << "Ив\nанов" << QString("1950") << "Перевод строки";
    }
    void indexTextRefused() {
        QFETCH(QString, surname);
        QFETCH(QString, year);
        QFETCH(QString, named);
        QVERIFY(!m_store->load());
        const auto before = snapshot(root());
        const Error e = m_store->createPatient(surname, "Иван", year, kToday);
        QCOMPARE(e.fault, Fault::BadText);
        QVERIFY2(e.message.contains(named), qPrintable(e.message));
        QCOMPARE(snapshot(root()), before);
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
        put(m_f->dir->filePath("victim.dat"), "keep");
        QVERIFY(!m_store->load());
        const auto before = snapshot(root());
        PatientView v;
        const VisitRef visit{cardFile, 0, "01.01.2001", {}};
        VisitRef now;
        session::ResultsMatrix m;
        for (const Error& e :
             {m_store->choose(0, &v), m_store->deletePatient({0, cardFile, {}}),
              m_store->addVisit({0, cardFile, {}}, kToday, &v), m_store->deleteVisit(visit, &v),
              m_store->saveVisitTexts(visit, {"a", "b", "c"}, &now), m_store->saveResults(visit, m, &now)})
            QCOMPARE(e.fault, Fault::BadCardName);
        QCOMPARE(snapshot(root()), before);
        QCOMPARE(bytesOf(m_f->dir->filePath("victim.dat")), QByteArray("keep"));
    }

    void onlyOrNoDateIsNotDeleted_data() {
        QTest::addColumn<int>("visit");
        QTest::addColumn<int>("fault");
        QTest::newRow("only") << 0 << int(Fault::OnlyVisit);
        QTest::newRow("empty last line") << 1 << int(Fault::Changed);
        QTest::newRow("none") << -1 << int(Fault::NoVisit);
    }
    void onlyOrNoDateIsNotDeleted() {
        QFETCH(int, visit);
        QFETCH(int, fault);
        QVERIFY(!m_store->load());
        QVERIFY(!m_store->createPatient("A", "B", "1", kToday));
        const auto before = snapshot(root());
        PatientView v = chosen(*m_store, 0);
        QCOMPARE(int(m_store->deleteVisit(v.visits.value(visit, {"c 1.dat", visit, {}, {}}), &v).fault),
                 fault);
        QCOMPARE(snapshot(root()), before);
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
        const auto before = snapshot(root());
        VisitRef now;
        const Error e =
            m_store->saveVisitTexts(chosen(*m_store, 0).visits[0], {complaints, "", prescription}, &now);
        QCOMPARE(e.fault, Fault::BadText);
        QVERIFY2(e.message.contains(named), qPrintable(e.message));
        QCOMPARE(snapshot(root()), before);
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

    void staleListDoesNotDeleteAnother() {
        generated();
        const PatientView v = chosen(*m_store, 0);
        // Another workstation put a patient on top since the list was read.
        QByteArray index = bytesOf(db("client.crd"));
        index.replace(" 3\r\n*", " 4\r\n*X Y|1|01.01.2001 |c 4.dat|\r\n*");
        put(db("client.crd"), index);
        // The patient is found by its card, not its line; a visit added makes the list stale.
        PatientView o;
        QVERIFY(!m_store->addVisit(v.ref, kToday, &o));
        const auto before = snapshot(root());
        QCOMPARE(m_store->deletePatient(v.ref).fault, Fault::Changed);
        QCOMPARE(snapshot(root()), before);
    }

  private:
    PatientStore* m_store = nullptr;
};

QTEST_GUILESS_MAIN(PatientRefusalsTest)
#include "tst_patientrefusals.moc"
