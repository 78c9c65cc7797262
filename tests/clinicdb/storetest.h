#pragma once
// The database tests' base: the tests' PostgreSQL server (TAVEN_TEST_SERVER, which ctest starts
// and removes with tools/pgserver.sh), emptied before every test function, with a store opened
// on it; or a one-line reason to skip.
#include "clinicdb/clinicstore.h"

#include <QObject>
#include <memory>

inline const QDate kDay(2026, 12, 8);

namespace dbtest {
// Runs statements on a connection of its own: the error, or the first value they give.
QString sql(const clinicdb::ConnParams& params, const QString& statements);
// Every patient and visit row with its version and its record's hash.
QString dump(const clinicdb::ConnParams& params);
// Drops every table: the error, or nothing.
QString empty(const clinicdb::ConnParams& params);
// Why the server cannot be used here; empty when it can.
QString unavailable(const QString& server, const clinicdb::ConnParams& params);
} // namespace dbtest

class StoreTest : public QObject {
    Q_OBJECT
  protected:
    QString m_server = qEnvironmentVariable("TAVEN_TEST_SERVER");
    clinicdb::ConnParams m_params;
    clinicdb::Limits m_limits;
    std::unique_ptr<clinicdb::ClinicStore> m_store;
    clinicdb::Patient m_patient; // made by patientWithVisits()
    QList<clinicdb::Visit> m_visits;

    QString sql(const QString& statements) const { return dbtest::sql(m_params, statements); }
    QString dump() const { return dbtest::dump(m_params); }
    // " Петров ", " Пётр ", "19 ", with a second visit a day later, as a window read them.
    void patientWithVisits();

  private slots:
    void initTestCase();
    void init();
};
