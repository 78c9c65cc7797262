// What every patient store does, whatever keeps the records: built once per store with that
// store's fixture (contractFixture()).
#include "common/text1251.h"
#include "storecontract.h"

#include <QtTest>

using namespace patients;

namespace {

const QDate kDay(2026, 12, 8);

enum Op { Texts, Results, Load, AddVisit, DeleteVisit, DeletePatient };

// Every character of the code page from the blank up but `except`, between two letters so
// that trimming leaves it whole.
QString everyCharacter(const QByteArray& except) {
    QByteArray bytes;
    for (int b = 0x20; b <= 0xFF; ++b)
        if (!except.contains(char(b)))
            bytes += char(b);
    return u'А' + cp1251::decode(bytes) + u'Я';
}

PatientView chosen(Store& store, int patient = 0) {
    PatientView v;
    if (const Error e = store.choose(patient, &v))
        QTest::qFail(qPrintable(e.message), __FILE__, __LINE__);
    return v;
}

// Each visit's complaints, newest first; "-" when the patient is gone.
QString complaints(Store& store) {
    if (store.load() || store.list().isEmpty())
        return QStringLiteral("-");
    QStringList out;
    VisitTexts t;
    for (const VisitRef& v : chosen(store).visits)
        out << (store.readVisit(v, &t) ? QStringLiteral("?") : t.complaints);
    return out.join(u',');
}

Error apply(Store& store, int op, PatientView& v) {
    VisitRef now;
    session::ResultsMatrix m;
    m.cell(3, 5) = QStringLiteral("60 4");
    switch (op) {
    case Texts:
        return store.saveVisitTexts(v.visits[0], {QStringLiteral("изменён")}, &now);
    case Results:
        return store.saveResults(v.visits[0], m, &now);
    case Load:
        return store.loadResults(v.visits[0], &m);
    case AddVisit:
        return store.addVisit(v.ref, kDay.addDays(5), &v);
    case DeleteVisit:
        return store.deleteVisit(v.visits[0], &v);
    default:
        return store.deletePatient(v.ref);
    }
}

} // namespace

class StoreContractTest : public QObject {
    Q_OBJECT
    std::unique_ptr<ContractFixture> m_fixture = contractFixture();
    std::unique_ptr<Store> m_store;

    // One patient of two visits of one day, "первый" and "второй", newest first.
    void sameDayVisits() {
        PatientView v;
        VisitRef now;
        QVERIFY(!m_store->createPatient(QStringLiteral("Петров"), QStringLiteral("Пётр"), "1950", kDay));
        QVERIFY(!m_store->addVisit(chosen(*m_store).ref, kDay, &v));
        QVERIFY(!m_store->saveVisitTexts(v.visits[0], {QStringLiteral("первый")}, &now));
        QVERIFY(!m_store->saveVisitTexts(v.visits[1], {QStringLiteral("второй")}, &now));
    }

  private slots:
    void initTestCase() {
        if (const QString skip = m_fixture->unavailable(); !skip.isEmpty())
            QSKIP(qPrintable(skip));
    }
    void init() {
        m_fixture->reset();
        m_store = m_fixture->open();
        QVERIFY(!m_store->load());
    }

    // Newest first, as typed (quotes, "?", "$1", "\" and every letter of the code page), seen
    // by another workstation; a patient deleted is gone for it too, and its card number is
    // never given again.
    void patients() {
        const QString given = everyCharacter("*|");
        QVERIFY(!m_store->createPatient(QStringLiteral(" Петров "), u' ' + given, "19 ", kDay));
        QVERIFY(!m_store->createPatient(QStringLiteral("Сидоров"), QStringLiteral("С"), "1960", kDay));
        const auto other = m_fixture->open();
        QVERIFY(!other->load());
        for (const Store* s : {m_store.get(), other.get()}) {
            QCOMPARE(s->list().size(), 2);
            QCOMPARE(s->list()[0].name(), QStringLiteral("Сидоров С"));
            QCOMPARE(s->list()[1].name() + u'|' + s->list()[1].year(),
                     QStringLiteral("Петров ") + given + "|19 ");
        }
        const PatientView v = chosen(*other, 1);
        QCOMPARE(v.record.dateLines(), QStringList({"08.12.2026", ""}));
        const QStringList cards{other->list()[0].cardFile(), v.ref.cardFile};
        const PatientView gone = chosen(*other, 0);
        QVERIFY(!m_store->deletePatient(chosen(*m_store, 0).ref));
        QCOMPARE(m_store->list().size(), 1);
        PatientView after;
        for (const Error& e : {other->deletePatient(gone.ref), other->addVisit(gone.ref, kDay, &after)})
            QVERIFY2(e.fault == Fault::Changed && e.message.contains(QStringLiteral("изменился")),
                     qPrintable(e.message));
        QVERIFY(!m_store->createPatient(QStringLiteral("Новый"), QStringLiteral("Н"), "2000", kDay));
        QVERIFY2(!cards.contains(m_store->list()[0].cardFile()), qPrintable(m_store->list()[0].cardFile()));
    }

    // A visit's texts and results are its own; a new visit goes first, blank; deleting one keeps
    // the others as they were, and the last one stays.
    void visits() {
        PatientView v;
        VisitRef now;
        VisitTexts t;
        session::ResultsMatrix m, back;
        m.cell(20, 27) = QStringLiteral("100 0");
        m.cell(24, 0) = QStringLiteral("5 5");
        const QString every = everyCharacter(">@");
        QVERIFY(!m_store->createPatient(QStringLiteral("Петров"), QStringLiteral("Пётр"), "1950", kDay));
        QVERIFY(!m_store->addVisit(chosen(*m_store).ref, kDay.addDays(1), &v));
        QVERIFY(!m_store->saveResults(v.visits[1], m, &now));
        QVERIFY(
            !m_store->saveVisitTexts(now, {u' ' + every + u'\n', QStringLiteral("д\r\nд "), every}, &now));
        QVERIFY(!m_store->loadResults(now, &back) && !m_store->readVisit(now, &t));
        QCOMPARE(back, m);
        QCOMPARE(QStringList({t.complaints, t.diagnosis, t.prescription}),
                 QStringList({every + u'\n', QStringLiteral("д\r\nд"), every}));
        QVERIFY(!m_store->loadResults(v.visits[0], &back) && back.isEmpty());
        QVERIFY(!m_store->addVisit(v.ref, kDay.addDays(2), &v));
        QCOMPARE(v.record.dateLines(), QStringList({"10.12.2026", "09.12.2026", "08.12.2026", ""}));
        QCOMPARE(chosen(*m_store).visits, v.visits);
        QVERIFY(!m_store->readVisit(v.visits[0], &t) && t.complaints.isEmpty());
        QVERIFY(!m_store->deleteVisit(v.visits[1], &v));
        QCOMPARE(v.record.dateLines(), QStringList({"10.12.2026", "08.12.2026", ""}));
        QVERIFY(!m_store->loadResults(v.visits[1], &back));
        QCOMPARE(back, m);
        QVERIFY(!m_store->deleteVisit(v.visits[0], &v));
        QCOMPARE(m_store->deleteVisit(v.visits[0], &v).fault, Fault::OnlyVisit);
    }

    // What the card format's separators or Windows-1251 cannot hold is refused, nothing written.
    void refused() {
        sameDayVisits();
        const PatientView v = chosen(*m_store);
        const QString before = m_fixture->dump();
        session::ResultsMatrix m;
        m.cell(1, 1) = QStringLiteral("5,0");
        VisitRef now;
        for (const Error& e :
             {m_store->createPatient("a*b", "B", "1", kDay), m_store->createPatient("A", "B", "1|", kDay),
              m_store->createPatient("A\nB", "B", "1", kDay),
              m_store->createPatient("A", QStringLiteral("漢"), "1", kDay),
              m_store->saveVisitTexts(v.visits[0], {"a@b"}, &now),
              m_store->saveVisitTexts(v.visits[0], {{}, "a>b"}, &now),
              m_store->saveResults(v.visits[0], m, &now)})
            QVERIFY2(e.fault == Fault::BadText, qPrintable(e.message));
        QCOMPARE(m_fixture->dump(), before);
    }

    // Two workstations read the patient of two same-day visits; the second's change names what it
    // read: refused when that changed, nothing written, and made once read again. No change
    // lands in the other visit of the day.
    void twoWorkstations_data() {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("after"); // each visit's complaints, newest first
        QTest::newRow("texts, texts") << int(Texts) << int(Texts) << true << "изменён,второй";
        QTest::newRow("texts, load results") << int(Texts) << int(Load) << true << "изменён,второй";
        QTest::newRow("texts, delete visit") << int(Texts) << int(DeleteVisit) << true << "второй";
        QTest::newRow("delete visit, results") << int(DeleteVisit) << int(Results) << true << "второй";
        QTest::newRow("delete visit, load results") << int(DeleteVisit) << int(Load) << true << "второй";
        QTest::newRow("add visit twice") << int(AddVisit) << int(AddVisit) << true << ",,первый,второй";
        QTest::newRow("add visit, delete patient") << int(AddVisit) << int(DeletePatient) << true << "-";
        QTest::newRow("texts, add visit") << int(Texts) << int(AddVisit) << false << ",изменён,второй";
    }
    void twoWorkstations() {
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(bool, refused);
        QFETCH(QString, after);
        sameDayVisits();
        const auto other = m_fixture->open();
        QVERIFY(!other->load());
        PatientView a = chosen(*m_store), b = chosen(*other);
        QVERIFY(!apply(*m_store, first, a));
        const QString between = m_fixture->dump();
        const Error e = apply(*other, second, b);
        QCOMPARE(e.fault, refused ? Fault::Changed : Fault::None);
        if (refused) {
            QVERIFY2(e.message.contains(QStringLiteral("изменился")), qPrintable(e.message));
            QCOMPARE(m_fixture->dump(), between);
            QVERIFY(!other->load());
            b = chosen(*other);
            QVERIFY(!apply(*other, second, b));
        }
        QCOMPARE(complaints(*m_store), after);
    }
};

QTEST_GUILESS_MAIN(StoreContractTest)
#include "tst_storecontract.moc"
