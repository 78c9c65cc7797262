#include "../patients/windowfixture.h"
#include "../patients/workstations.h"
#include "clinicdb/databasestore.h"
#include "storetest.h"

#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

using namespace clinicdb;

static bool server(const char* action, const QString& dir) {
    return QProcess::execute(PGSERVER, {action, dir}) == 0;
}

// On a server of its own, stopped and started under the store.
class ClinicLossTest : public StoreTest {
    Q_OBJECT
    QTemporaryDir m_dir;

  public:
    ClinicLossTest() {
        server("start", m_dir.path());
        m_server = QStringLiteral("host=%1 user=postgres dbname=postgres").arg(m_dir.path());
        m_limits = {2, 2000, 300};
    }
    ~ClinicLossTest() override { server("clean", m_dir.path()); }

  private slots:
    // Stopped before a new patient (0) or before its last statement: the action says so, nothing
    // of it is there once the server is back, and the next action works.
    void lost_data() {
        QTest::addColumn<int>("statement");
        QTest::newRow("between actions") << 0;
        QTest::newRow("half-way through") << 3;
    }
    void lost() {
        QFETCH(int, statement);
        patientWithVisits();
        const QString before = dump();
        int count = 0;
        m_store->connection().setBeforeStatement([&] {
            if (++count == statement)
                QVERIFY(server("stop", m_dir.path()));
        });
        QVERIFY(statement > 0 || server("stop", m_dir.path()));
        const Error e = m_store->createPatient("C", "D", "2", kDay);
        m_store->connection().setBeforeStatement({});
        QVERIFY2(e.fault == Fault::Lost &&
                     e.message.startsWith(QStringLiteral("Нет связи с сервером базы данных: ")),
                 qPrintable(e.message));
        QVERIFY(server("start", m_dir.path()));
        QCOMPARE(dump(), before);
        QVERIFY(!m_store->addVisit(&m_patient, kDay));
    }

    // The patient list on the database names it; with the server gone "Добавить дату" says so
    // and adds nothing, and once the server is back the same click adds the visit.
    void listWindow() {
        patientWithVisits();
        clinicdb::DatabaseStore store(m_params, m_limits);
        session::Session session;
        windowtest::Messages messages;
        frmclient list(session, store);
        list.setToday(kDay.addDays(10));
        list.Form_Load();
        list.selectPatient(0);
        QVERIFY2(list.windowTitle().contains(QStringLiteral("\"postgres\"")), qPrintable(list.windowTitle()));
        QVERIFY(server("stop", m_dir.path()));
        list.cmdadddate->click();
        QVERIFY(server("start", m_dir.path()));
        list.cmdadddate->click();
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY2(messages.shown[0].title == QStringLiteral("Ошибка") &&
                     messages.last().startsWith(QStringLiteral("Нет связи с сервером базы данных")),
                 qPrintable(messages.last()));
        QCOMPARE(list.lstdate->count(), 4);
    }

    // Four workstations for a minute on visits of one day, the server stopped and started
    // half-way: no change lost, misdirected or half-written, and each goes on once it is back.
    void fourWorkstations() {
        bool restarted = false;
        const workstations::Outcomes o = workstations::run(m_server, 4, 60, [&] {
            restarted = server("stop", m_dir.path());
            QThread::sleep(3);
            restarted = server("start", m_dir.path()) && restarted;
        });
        QVERIFY(restarted);
        clinicdb::DatabaseStore store(m_params, m_limits);
        const QStringList faults = workstations::check(store, o);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.mid(0, 10).join(u'\n')));
        QVERIFY2(o.unsure > 0, "the restart went unnoticed");
    }

    // A row another workstation keeps locked makes the action give up, not hang the window.
    void lockedRow() {
        patientWithVisits();
        Connection other(m_params);
        const Error e = other.transaction([&](Connection& c) -> Error {
            QSqlQuery q = c.query();
            const Error locked =
                c.exec(q, QStringLiteral("SELECT 1 FROM visit WHERE id = ? FOR UPDATE"), {m_visits[0].id});
            return locked ? locked : m_store->saveVisitTexts(&m_visits[0], {"a", "b", "c"});
        });
        QCOMPARE(e.fault, Fault::Timeout);
    }
};

QTEST_MAIN(ClinicLossTest)
#include "tst_clinicloss.moc"
