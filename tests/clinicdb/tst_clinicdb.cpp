#include "../patients/storefixture.h"
#include "clinicdb/exchange.h"
#include "clinicdb/schema.h"
#include "common/text1251.h"
#include "patientgen.h"
#include "patients/patientfiles.h"
#include "storetest.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace clinicdb;
using Files = QMap<QString, QByteArray>;
using storetest::put;

namespace {

enum Op { Texts, Results, AddVisit, DeleteVisit, DeletePatient };

const QByteArray kVisit = patients::blankVisit(QStringLiteral("01.01.2020")).toLatin1();
const QByteArray kRecord = "*\xC8\xE2\xE0\xED\xEE\xE2 \xC8|1950|02.01.2020 01.01.2020 |c 2.dat|\r\n*";

} // namespace

class ClinicDbTest : public StoreTest {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir = std::make_unique<QTemporaryDir>();

    Error apply(int op, Patient* p, Visit* v) {
        session::ResultsMatrix m;
        m.cell(3, 5) = QStringLiteral("60 4");
        return op == Texts         ? m_store->saveVisitTexts(v, {"a", "b", "c"})
               : op == Results     ? m_store->saveResults(v, m)
               : op == AddVisit    ? m_store->addVisit(p, kDay)
               : op == DeleteVisit ? m_store->deleteVisit(*v)
                                   : m_store->deletePatient(*p);
    }

    // Imports the folder "in", with `notes` legacy oddities told, and exports it to "out".
    void roundTrip(int notes, Files* out) {
        QStringList found;
        Error e = importFolder(*m_store, m_dir->filePath("in"), false, &found);
        if (!e)
            e = exportFolder(*m_store, m_dir->filePath("out"));
        QVERIFY2(!e && found.size() == notes, qPrintable(e.message + found.join(u'\n')));
        *out = storetest::snapshot(m_dir->filePath("out"));
    }

  private slots:
    void cleanup() { m_dir = std::make_unique<QTemporaryDir>(); }

    void operations() {
        QList<Patient> list;
        session::ResultsMatrix m, loaded;
        patientWithVisits();
        QVERIFY(!m_store->createPatient(QStringLiteral("Сидоров"), QStringLiteral("С"), "1960", kDay));
        QVERIFY(!m_store->listPatients(&list));
        QCOMPARE(list.value(1).name + u'|' + list.value(1).year, QStringLiteral("Петров Пётр|19 "));
        QCOMPARE(list.value(0).card, 2); // newest first
        QCOMPARE(m_visits.value(0).date + u' ' + m_visits.value(1).date,
                 QStringLiteral("09.12.2026 08.12.2026"));
        m.cell(20, 27) = QStringLiteral("100 -5");
        m.cell(24, 0) = QStringLiteral("7 1");
        QVERIFY(!m_store->saveResults(&m_visits[1], m) && !m_store->loadResults(&m_visits[1], &loaded));
        QVERIFY2(loaded == m, qPrintable(loaded.cell(20, 27)));
        QVERIFY(!m_store->deleteVisit(m_visits[0]));
        QCOMPARE(m_store->deleteVisit(m_visits[1]).fault, Fault::OnlyVisit);
        QVERIFY(!m_store->choose(m_patient.id, &m_patient, &m_visits) && !m_store->deletePatient(m_patient));
        QVERIFY(!m_store->listPatients(&list));
        QCOMPARE(list.size(), 1);
    }

    // Bound, never spliced into a statement (quotes, "?", "$1", "\"): stored as typed.
    void everyCharacter() {
        QByteArray bytes;
        for (int b = 0x20; b <= 0xFF; ++b)
            bytes += QByteArray("*|>@").contains(char(b)) ? "" : QByteArray(1, char(b));
        const QString text = u'А' + cp1251::decode(bytes) + u'Я';
        VisitTexts read;
        QVERIFY(!m_store->createPatient(QStringLiteral("Ф"), text, text, kDay, &m_patient));
        QVERIFY(!m_store->choose(m_patient.id, &m_patient, &m_visits));
        QCOMPARE(m_patient.name + u'|' + m_patient.year, QStringLiteral("Ф ") + text + u'|' + text);
        QVERIFY(!m_store->saveVisitTexts(&m_visits[0], {u' ' + text + u'\n', text, text}));
        QVERIFY(!m_store->readVisitTexts(&m_visits[0], &read));
        QCOMPARE(read.complaints, text + u'\n'); // blanks trimmed, nothing else
    }

    // What the folder's separators or Windows-1251 cannot hold is refused, nothing written.
    void refused() {
        patientWithVisits();
        const QString before = dump();
        session::ResultsMatrix m;
        m.cell(1, 1) = QStringLiteral("5,0");
        for (const Error& e :
             {m_store->createPatient("a*b", "B", "1", kDay), m_store->createPatient("A", "B", "1|", kDay),
              m_store->createPatient("A", QStringLiteral("漢"), "1", kDay),
              m_store->saveVisitTexts(&m_visits[0], {"a@b", {}, {}}), m_store->saveResults(&m_visits[0], m)})
            QVERIFY2(e.fault == Fault::BadText, qPrintable(e.message));
        QCOMPARE(dump(), before);
    }

    // Two windows read the same patient and newest visit; the second change names what it read.
    void versions_data() {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<bool>("refused");
        QTest::newRow("texts, texts") << int(Texts) << int(Texts) << true;
        QTest::newRow("texts, delete visit") << int(Texts) << int(DeleteVisit) << true;
        QTest::newRow("delete visit, results") << int(DeleteVisit) << int(Results) << true;
        QTest::newRow("add visit twice") << int(AddVisit) << int(AddVisit) << true;
        QTest::newRow("add visit, delete patient") << int(AddVisit) << int(DeletePatient) << true;
        QTest::newRow("texts, add visit") << int(Texts) << int(AddVisit) << false;
        QTest::newRow("add visit, delete visit") << int(AddVisit) << int(DeleteVisit) << false;
    }
    void versions() {
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(bool, refused);
        patientWithVisits();
        Patient a = m_patient, b = m_patient;
        Visit va = m_visits[0], vb = m_visits[0];
        QVERIFY(!apply(first, &a, &va));
        const QString between = dump();
        const Error e = apply(second, &b, &vb);
        QCOMPARE(e.fault, refused ? Fault::Changed : Fault::None);
        QVERIFY2(!refused || e.message.contains(QStringLiteral("изменился")), qPrintable(e.message));
        QVERIFY(!refused || dump() == between);
    }

    // An upgrade is one transaction; a database of a newer program is left alone.
    void schemaUpgrade() {
        Connection c(m_params);
        SchemaSteps steps = schemaSteps();
        steps.append(
            {QStringLiteral("CREATE TABLE extra (x int)"), QStringLiteral("SELECT no_such_function()")});
        QCOMPARE(ensureSchema(c, steps).fault, Fault::Server);
        QCOMPARE(ensureSchema(c, {}).fault, Fault::Setup);
        QVERIFY(sql(QStringLiteral("SELECT 1 FROM extra")).contains(QStringLiteral("extra")));
        QVERIFY(!ensureSchema(c));
    }

    // What the program wrote comes back byte for byte, tails included. A second import only
    // when merging: on top, with card numbers of their own.
    void generated() {
        Files out;
        QList<Patient> list;
        QVERIFY(patientgen::writeDatabase(m_dir->filePath("in"), {12, 3, 300, 7}));
        roundTrip(0, &out);
        QCOMPARE(out, storetest::snapshot(m_dir->filePath("in")));
        const QString once = dump();
        QCOMPARE(importFolder(*m_store, m_dir->filePath("in"), false).fault, Fault::NotEmpty);
        QVERIFY(dump() == once && !importFolder(*m_store, m_dir->filePath("in"), true));
        QVERIFY(!m_store->listPatients(&list));
        QCOMPARE(QStringLiteral("%1 %2 %3").arg(list.size()).arg(list.value(0).card).arg(list.value(0).name),
                 QStringLiteral("26 26 ") + list.value(13).name);
    }

    // Record for record: cards as they were, index records with the line ends written now;
    // a last visit cut short is kept and told.
    void legacy_data() {
        QTest::addColumn<QByteArray>("index");
        QTest::addColumn<QByteArray>("card");
        QTest::addColumn<QByteArray>("exported");
        QTest::addColumn<int>("notes");
        QByteArray lf = " 2\r\n" + kRecord, lfCard = kVisit + '@' + kVisit + '@';
        QTest::newRow("LF line ends")
            << lf.replace("\r\n", "\n") << lfCard.replace("\r\n", "\n") << " 2\n" + kRecord << 0;
        QTest::newRow("last visit without its @")
            << " 2\r\n" + kRecord << kVisit + '@' + kVisit.left(300) << " 2\r\n" + kRecord << 1;
        QTest::newRow("counter: tab, six digits")
            << "000002\t\r\n" + kRecord << kVisit + '@' + kVisit + '@' << "000002\t\r\n" + kRecord << 0;
    }
    void legacy() {
        QFETCH(QByteArray, index);
        QFETCH(QByteArray, card);
        QFETCH(QByteArray, exported);
        QFETCH(int, notes);
        Files out;
        put(m_dir->filePath("in/Database/client.crd"), index);
        put(m_dir->filePath("in/Database/c 2.dat"), card);
        roundTrip(notes, &out);
        QCOMPARE(out, Files({{"client.crd", exported}, {"c 2.dat", card}}));
    }

    // Not over a folder's cards, not beyond the legacy 32,767, and not half-way.
    void exportRefused() {
        put(m_dir->filePath("in/Database/c 1.dat"), "x");
        QCOMPARE(sql("UPDATE card_counter SET last = 40000"), QString());
        QVERIFY(!m_store->createPatient("C", "D", "2", kDay, &m_patient));
        QCOMPARE(exportFolder(*m_store, m_dir->filePath("in")).fault, Fault::Folder);
        const Error e = exportFolder(*m_store, m_dir->filePath("out"));
        QVERIFY2(e.fault == Fault::Folder && e.message.contains("40001"), qPrintable(e.message));
        QVERIFY(!QFile::exists(m_dir->filePath("out/Database/client.crd")));
    }

    // What the driver gets: host|dbname|user|password|port|other options; empty when refused.
    void conninfo_data() {
        QTest::addColumn<QString>("conninfo");
        QTest::addColumn<QString>("parts");
        QTest::newRow("quotes, escapes, blanks") << "dbname = 'a b\\'c' application_name='x\\\\y' host=/s"
                                                 << "/s|a b'c|||-1|application_name='x\\\\y'";
        QTest::newRow("uri") << "postgresql://nurse:s%40cret@db:5433/taven?sslmode=require&host=/s"
                             << "/s|taven|nurse|s@cret|5433|sslmode='require'";
        QTest::newRow("semicolon the driver would split") << "application_name=a;b"
                                                          << "";
    }
    void conninfo() {
        QFETCH(QString, conninfo);
        QFETCH(QString, parts);
        ConnParams p;
        const Error e = parseConninfo(conninfo, &p);
        const QStringList got{
            p.host, p.database, p.user, p.password, QString::number(p.port), p.connectOptions()};
        QCOMPARE(e ? QString() : got.join(u'|'), parts);
    }

    // The environment before the configuration file, whose first line that is no comment counts.
    void connectionChoice() {
        QFile f(m_dir->filePath("conf"));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("# the clinic\n\n  dbname=file  \nx\n") > 0 &&
                f.flush());
        ConnectionChoice a, b;
        QVERIFY(!chooseConnection({}, {}, f.fileName(), &a) &&
                !chooseConnection({}, "env", f.fileName(), &b));
        QCOMPARE(a.conninfo + u'|' + b.conninfo, QStringLiteral("dbname=file|env"));
    }
};

QTEST_GUILESS_MAIN(ClinicDbTest)
#include "tst_clinicdb.moc"
