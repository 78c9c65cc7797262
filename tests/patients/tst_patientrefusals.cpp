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
        QTest::newRow("at the limit") << QByteArray(" 32767\r\n*");
        QTest::newRow("not a number") << QByteArray("abc\r\n*");
        QTest::newRow("last free number taken") << QByteArray(" 32766\r\n*");
    }
    void badCounterCreatesNothing() {
        QFETCH(QByteArray, index);
        put(db("client.crd"), index);
        put(db("c 32767.dat"), "x");
        QVERIFY(!m_store->load());
        const auto before = snapshot(root());
        const Error e = m_store->createPatient("A", "B", "1", kToday);
        QCOMPARE(e.fault, Fault::BadCounter);
        QVERIFY2(e.message.contains("Database"), qPrintable(e.message));
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
        IndexRecord r;
        for (const Error& e :
             {m_store->choose(0, &r), m_store->deletePatient(0), m_store->addVisit(0, kToday),
              m_store->deleteVisit(0, 0), m_store->saveVisitTexts(0, 0, {"", "a", "b", "c"})})
            QCOMPARE(e.fault, Fault::BadCardName);
        session::Choice c{"A B", "1", cardFile, 0, "01.01.2001"};
        session::ResultsMatrix m;
        QCOMPARE(m_store->saveResults(c, c, m).fault, Fault::BadCardName);
        QCOMPARE(snapshot(root()), before);
        QCOMPARE(bytesOf(m_f->dir->filePath("victim.dat")), QByteArray("keep"));
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
        const auto before = snapshot(root());
        const Error e = m_store->deleteVisit(0, visit);
        QCOMPARE(e.message, kOnlyVisit);
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
        const Error e = m_store->saveVisitTexts(0, 0, {"", complaints, "", prescription});
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
        // Another workstation put a patient on top since the list was read.
        QByteArray index = bytesOf(db("client.crd"));
        index.replace(" 3\r\n*", " 4\r\n*X Y|1|01.01.2001 |c 4.dat|\r\n*");
        put(db("client.crd"), index);
        const auto before = snapshot(root());
        QCOMPARE(m_store->deletePatient(0).fault, Fault::Changed);
        QCOMPARE(snapshot(root()), before);
    }

  private:
    PatientStore* m_store = nullptr;
};

QTEST_GUILESS_MAIN(PatientRefusalsTest)
#include "tst_patientrefusals.moc"
