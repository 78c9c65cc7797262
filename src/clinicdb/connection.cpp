#include "clinicdb/connection.h"

#include <QAtomicInt>
#include <QSqlDatabase>
#include <QSqlError>

namespace clinicdb {

namespace {

const QString kDriver = QStringLiteral("QPSQL");

QString uniqueName() {
    static QAtomicInt counter;
    return QStringLiteral("clinicdb-%1").arg(counter.fetchAndAddRelaxed(1));
}

// The first line of what the server or libpq said, without its level.
QString reason(const QSqlError& e) {
    const QString all = e.databaseText().isEmpty() ? e.driverText() : e.databaseText();
    QString text = all.section(u'\n', 0, 0, QString::SectionSkipEmpty).trimmed();
    for (const QString& level : {QStringLiteral("ERROR:"), QStringLiteral("FATAL:")})
        if (text.startsWith(level))
            text = text.mid(level.size()).trimmed();
    return text;
}

// libpq's own failures carry no SQLSTATE; the server's are of class 08 or its shut-down.
bool isLost(const QString& state) {
    return state.isEmpty() || state.startsWith(QStringLiteral("08")) || state == u"57P01" ||
           state == u"57P02" || state == u"57P03";
}

} // namespace

Connection::Connection(const ConnParams& p, const Limits& limits) : m_name(uniqueName()), m_limits(limits) {
    QSqlDatabase db = QSqlDatabase::addDatabase(kDriver, m_name);
    db.setHostName(p.host);
    db.setDatabaseName(p.database);
    db.setUserName(p.user);
    db.setPassword(p.password);
    db.setPort(p.port);
    ConnParams all = p;
    const auto byDefault = [&](const QString& key, const QString& value) {
        if (!p.has(key))
            all.options.append({key, value});
    };
    byDefault(QStringLiteral("connect_timeout"), QString::number(std::max(2, limits.connectSeconds)));
    // Over TCP, a server gone without a word (a pulled cable) is found out within seconds.
    byDefault(QStringLiteral("keepalives_idle"), QStringLiteral("5"));
    byDefault(QStringLiteral("keepalives_interval"), QStringLiteral("2"));
    byDefault(QStringLiteral("keepalives_count"), QStringLiteral("2"));
    byDefault(QStringLiteral("tcp_user_timeout"), QString::number(limits.statementMs));
    byDefault(QStringLiteral("application_name"), QStringLiteral("taven"));
    db.setConnectOptions(all.connectOptions());
}

Connection::~Connection() {
    QSqlDatabase::database(m_name, false).close();
    QSqlDatabase::removeDatabase(m_name);
}

Error Connection::open() {
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    if (!db.isValid())
        return {Fault::Setup, QStringLiteral("Не найден драйвер PostgreSQL для Qt (пакет libqt6sql6-psql)")};
    if (!db.open())
        return failure(db.lastError());
    m_lost = false;
    // set_config, as SET takes no bound values.
    QSqlQuery q = query();
    const Error e = exec(q,
                         QStringLiteral("SELECT set_config('statement_timeout', ?, false),"
                                        " set_config('lock_timeout', ?, false),"
                                        " set_config('idle_in_transaction_session_timeout', ?, false)"),
                         {QString::number(m_limits.statementMs), QString::number(m_limits.lockMs),
                          QString::number(10 * m_limits.statementMs)});
    if (e)
        db.close();
    return e;
}

Error Connection::failure(const QSqlError& error) {
    const QString state = error.nativeErrorCode();
    if (isLost(state)) {
        m_lost = true;
        return {Fault::Lost, QStringLiteral("Нет связи с сервером базы данных: %1").arg(reason(error))};
    }
    // At once, so that the statements still prepared can be freed.
    if (QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.isOpen() && error.type() == QSqlError::StatementError)
        m_rolledBack = db.rollback();
    if (state == u"57014" || state == u"55P03")
        return {Fault::Timeout, QStringLiteral("Сервер базы данных не ответил вовремя, действие отменено: %1")
                                    .arg(reason(error))};
    return {Fault::Server, QStringLiteral("Сервер базы данных отказал: %1").arg(reason(error))};
}

Error Connection::transaction(const Work& work) {
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    for (int attempt = 0;; ++attempt) {
        if (!db.isOpen() || m_lost)
            if (Error e = open())
                return e;
        if (db.transaction()) {
            m_rolledBack = false;
            break;
        }
        const Error e = failure(db.lastError());
        if (m_lost)
            db.close();
        if (e.fault != Fault::Lost || attempt > 0)
            return e;
    }
    Error e = work(*this);
    if (!e && !m_lost && !db.commit())
        e = failure(db.lastError());
    if (m_lost)
        db.close();
    else if (e && !m_rolledBack)
        db.rollback();
    return e;
}

QSqlQuery Connection::query() const {
    return QSqlQuery(QSqlDatabase::database(m_name, false));
}

Error Connection::prepare(QSqlQuery& q, const QString& sql) {
    return q.prepare(sql) ? Error() : failure(q.lastError());
}

Error Connection::run(QSqlQuery& q, const QVariantList& values) {
    if (m_beforeStatement)
        m_beforeStatement();
    for (int i = 0; i < values.size(); ++i) {
        // The driver binds a null string as NULL; an empty text is a text.
        const bool nullText = values[i].typeId() == QMetaType::QString && values[i].toString().isNull();
        q.bindValue(i, nullText ? QVariant(QStringLiteral("")) : values[i]);
    }
    return q.exec() ? Error() : failure(q.lastError());
}

Error Connection::exec(QSqlQuery& q, const QString& sql, const QVariantList& values) {
    // A statement with no values has nothing to bind: one round trip instead of three.
    if (values.isEmpty()) {
        if (m_beforeStatement)
            m_beforeStatement();
        return q.exec(sql) ? Error() : failure(q.lastError());
    }
    if (Error e = prepare(q, sql))
        return e;
    return run(q, values);
}

} // namespace clinicdb
