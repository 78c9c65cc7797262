// The store contract on the tests' database server.
#include "../patients/storecontract.h"
#include "clinicdb/databasestore.h"
#include "storetest.h"

#include <QtTest>

namespace {

class DatabaseFixture : public ContractFixture {
    QString m_server = qEnvironmentVariable("TAVEN_TEST_SERVER");
    clinicdb::ConnParams m_params;

  public:
    DatabaseFixture() { clinicdb::parseConninfo(m_server, &m_params); }
    QString unavailable() const override { return dbtest::unavailable(m_server, m_params); }
    void reset() override { QCOMPARE(dbtest::empty(m_params), QString()); }
    std::unique_ptr<patients::Store> open() override {
        return std::make_unique<clinicdb::DatabaseStore>(m_params);
    }
    QString dump() const override { return dbtest::dump(m_params); }
};

} // namespace

std::unique_ptr<ContractFixture> contractFixture() {
    return std::make_unique<DatabaseFixture>();
}
