#include "../patients/storefixture.h"
#include "clinicdb/exchange.h"
#include "clinicdb/schema.h"
#include "measurement/storechoice.h"
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

const QByteArray kVisit = patients::blankVisit(QStringLiteral("01.01.2020")).toLatin1();
const QByteArray kRecord = "*\xC8\xE2\xE0\xED\xEE\xE2 \xC8|1950|02.01.2020 01.01.2020 |c 2.dat|\r\n*";

} // namespace

class ClinicDbTest : public StoreTest {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir = std::make_unique<QTemporaryDir>();

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

    // taven --import-folder and --export-folder: a second import only with --merge, as said;
    // the export is the folder imported. Without a database named they have nothing to work on.
    void commandLine() {
        QVERIFY(patientgen::writeDatabase(m_dir->filePath("in"), {3, 2, 0, 1}));
        commandline::Options o{{}, {}, m_server, m_dir->filePath("in")};
        QStringList said;
        QCOMPARE(storechoice::exchange(o, true, &said), 0);
        QCOMPARE(storechoice::exchange(o, true, &said), 1);
        QVERIFY2(said.last().contains("--merge"), qPrintable(said.join(u'\n')));
        o.exchangeFolder = m_dir->filePath("out");
        QCOMPARE(storechoice::exchange(o, false, &said), 0);
        QCOMPARE(storetest::snapshot(m_dir->filePath("out")), storetest::snapshot(m_dir->filePath("in")));
        o.database.clear();
        QCOMPARE(storechoice::exchange(o, false, &said), 2);
        QString problem;
        QVERIFY(!storechoice::open("application_name=a;b", &problem) && problem.contains("--database"));
        const auto store = storechoice::open(m_server, &problem);
        QVERIFY2(store && store->place().contains("\"postgres\""), qPrintable(problem));
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
