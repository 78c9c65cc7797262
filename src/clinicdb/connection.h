#pragma once
// One connection to the clinic's database server. Every operation is one transaction: it
// is committed whole or rolled back. A connection found lost is opened anew by the next
// action, so a window goes on working once the server is back. Statements are prepared,
// their values bound, never spliced into the text.
#include "clinicdb/conninfo.h"
#include "clinicdb/error.h"

#include <QSqlQuery>
#include <QVariantList>
#include <functional>

class QSqlError;

namespace clinicdb {

// How long a window may wait for the server.
struct Limits {
    int connectSeconds = 5; // libpq counts whole seconds, two at the least
    int statementMs = 5000;
    int lockMs = 3000; // a row another workstation holds
};

class Connection {
  public:
    explicit Connection(const ConnParams& params, const Limits& limits = {});
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    using Work = std::function<Error(Connection&)>;
    // Runs `work` in one transaction, committed only when it answers no error. A connection
    // found lost when the transaction begins is opened anew once, before anything is done.
    Error transaction(const Work& work);

    // Inside a transaction: a query on this connection. Its rows come whole, so that another
    // statement may run while they are read.
    QSqlQuery query() const;
    Error prepare(QSqlQuery& q, const QString& sql);
    // Runs the prepared statement with the values bound in order. A statement that fails
    // ends the transaction: the work answers its error and runs nothing more.
    Error run(QSqlQuery& q, const QVariantList& values = {});
    Error exec(QSqlQuery& q, const QString& sql, const QVariantList& values = {});

    // Tests: called before every statement, to stop the server half-way through a change.
    void setBeforeStatement(std::function<void()> hook) { m_beforeStatement = std::move(hook); }

  private:
    Error open();
    Error failure(const QSqlError& error);

    QString m_name;
    Limits m_limits;
    bool m_lost = false;
    bool m_rolledBack = false; // by a statement that failed
    std::function<void()> m_beforeStatement;
};

} // namespace clinicdb
