#include "storetest.h"

#include <QFile>
#include <QSqlDatabase>
#include <QtTest>

namespace dbtest {

QString sql(const clinicdb::ConnParams& params, const QString& statements) {
    QString out;
    clinicdb::Connection connection(params);
    const clinicdb::Error e = connection.transaction([&](clinicdb::Connection& c) {
        QSqlQuery q = c.query();
        const clinicdb::Error e = c.exec(q, statements);
        out = !e && q.next() ? q.value(0).toString() : QString();
        return e;
    });
    return e ? e.message : out;
}

QString dump(const clinicdb::ConnParams& params) {
    return sql(params,
               QStringLiteral("SELECT string_agg(concat_ws('|', p.id, p.card, p.name, p.year, p.version,"
                              " v.id, v.date, v.version, md5(v.record)), ';' ORDER BY p.id, v.id)"
                              " FROM patient p LEFT JOIN visit v ON v.patient = p.id"));
}

QString empty(const clinicdb::ConnParams& params) {
    return sql(params, QStringLiteral("SET client_min_messages = warning; DROP SCHEMA public CASCADE;"
                                      " CREATE SCHEMA public"));
}

QString unavailable(const QString& server, const clinicdb::ConnParams& params) {
    QFile reason(params.host + QStringLiteral("/unavailable"));
    return server.isEmpty() ? QStringLiteral("TAVEN_TEST_SERVER is not set: run the test through ctest")
           : !QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))
               ? QStringLiteral("Qt's PostgreSQL driver is not installed (libqt6sql6-psql)")
           : reason.open(QIODevice::ReadOnly) ? QString::fromUtf8(reason.readAll()).trimmed()
                                              : QString();
}

} // namespace dbtest

void StoreTest::patientWithVisits() {
    QVERIFY(!m_store->createPatient(QStringLiteral(" Петров "), QStringLiteral(" Пётр "), "19 ", kDay,
                                    &m_patient));
    QVERIFY(!m_store->addVisit(&m_patient, kDay.addDays(1)));
    QVERIFY(!m_store->choose(m_patient.card, &m_patient, &m_visits));
}

void StoreTest::initTestCase() {
    clinicdb::parseConninfo(m_server, &m_params);
    if (const QString skip = dbtest::unavailable(m_server, m_params); !skip.isEmpty())
        QSKIP(qPrintable(skip));
}

void StoreTest::init() {
    QCOMPARE(dbtest::empty(m_params), QString());
    m_store = std::make_unique<clinicdb::ClinicStore>(m_params, m_limits);
    const clinicdb::Error e = m_store->open();
    QVERIFY2(!e, qPrintable(e.message));
}
