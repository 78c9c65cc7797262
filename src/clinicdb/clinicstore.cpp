#include "clinicdb/clinicstore.h"

#include "clinicdb/schema.h"
#include "common/textutil.h"
#include "patients/patientcheck.h"
#include "patients/patientfiles.h"

namespace clinicdb {

namespace {

Error refused(const patients::Error& e) {
    return e ? Error{Fault::BadText, e.message} : Error();
}

// `what`: "Пациент \"name\"" or "Приём date"; a row deleted elsewhere has changed too.
Error changed(const QString& what) {
    return {
        Fault::Changed,
        QStringLiteral("%1 изменился или удалён на другом рабочем месте. Откройте список пациентов заново")
            .arg(what)};
}

// A query's next row as one value; a statement that gives none answers `none`.
Error single(QSqlQuery& q, qint64* value, const Error& none) {
    if (!q.next())
        return none;
    *value = q.value(0).toLongLong();
    return {};
}

} // namespace

Error patientChanged(const QString& name) {
    return changed(name.isEmpty() ? QStringLiteral("Пациент") : QStringLiteral("Пациент \"%1\"").arg(name));
}

Error visitChanged(const QString& date) {
    return changed(QStringLiteral("Приём %1").arg(date).trimmed());
}

Error ClinicStore::open() {
    return ensureSchema(m_connection);
}

Error ClinicStore::listPatients(QList<Patient>* patients) {
    return m_connection.transaction([&](Connection& c) -> Error {
        patients->clear();
        QSqlQuery q = c.query();
        q.setForwardOnly(true); // row by row: faster through Qt's driver than the whole at once
        if (Error e = c.exec(
                q, QStringLiteral("SELECT id, card, name, year, version FROM patient ORDER BY id DESC")))
            return e;
        while (q.next())
            patients->append({q.value(0).toLongLong(), q.value(1).toLongLong(), q.value(2).toString(),
                              q.value(3).toString(), q.value(4).toLongLong()});
        return {};
    });
}

Error ClinicStore::listIndex(const std::function<void(const QString&)>& each) {
    // The server joins the fields: one text a row to carry over and convert, not four. Names
    // and years never hold a separator (refused on the way in).
    static const QString sql =
        QStringLiteral("SELECT name || '%1' || year || '%1%1' || 'c ' || card || '.dat%1' || E'\\r\\n'"
                       " FROM patient ORDER BY id DESC")
            .arg(QChar(patients::kFieldEnd));
    return m_connection.transaction([&](Connection& c) -> Error {
        QSqlQuery q = c.query();
        q.setForwardOnly(true);
        if (Error e = c.exec(q, sql))
            return e;
        while (q.next())
            each(q.value(0).toString());
        return {};
    });
}

Error ClinicStore::choose(qint64 card, Patient* read, QList<Visit>* visits) {
    return m_connection.transaction([&](Connection& c) -> Error {
        visits->clear();
        QSqlQuery q = c.query();
        // One statement, one snapshot: the patient's version matches its visits.
        if (Error e = c.exec(q,
                             QStringLiteral("SELECT p.id, p.name, p.year, p.version,"
                                            " v.id, v.date, v.version, v.complete"
                                            " FROM patient p LEFT JOIN visit v ON v.patient = p.id"
                                            " WHERE p.card = ? ORDER BY v.id DESC"),
                             {card}))
            return e;
        bool found = false;
        for (; q.next(); found = true) {
            *read = {q.value(0).toLongLong(), card, q.value(1).toString(), q.value(2).toString(),
                     q.value(3).toLongLong()};
            if (!q.isNull(4))
                visits->append({q.value(4).toLongLong(), q.value(5).toString(), q.value(6).toLongLong(),
                                q.value(7).toBool()});
        }
        return found ? Error() : patientChanged({});
    });
}

Error ClinicStore::createPatient(const QString& surname, const QString& given, const QString& year,
                                 const QDate& today, Patient* made) {
    const QString name = text::trim(surname) + u' ' + text::trim(given);
    if (Error e = refused(patients::checkIndexText(name, QStringLiteral("Фамилия, имя, отчество"))))
        return e;
    if (Error e = refused(patients::checkIndexText(year, QStringLiteral("Год рождения"))))
        return e;
    const QString date = patients::dateText(today);
    Patient p{0, 0, name, year, 1};
    const Error e = m_connection.transaction([&](Connection& c) -> Error {
        QSqlQuery q = c.query();
        // Never a number a card already has, whatever an import or a hand left behind.
        if (Error e =
                c.exec(q, QStringLiteral("UPDATE card_counter SET last = 1 + greatest(last,"
                                         " (SELECT coalesce(max(card), 0) FROM patient)) RETURNING last")))
            return e;
        const Error none{Fault::Server, QStringLiteral("В базе данных нет счётчика карт")};
        if (Error e = single(q, &p.card, none))
            return e;
        if (Error e = c.exec(
                q, QStringLiteral("INSERT INTO patient (card, name, year) VALUES (?, ?, ?) RETURNING id"),
                {p.card, name, year}))
            return e;
        if (Error e = single(q, &p.id, none))
            return e;
        return c.exec(q, QStringLiteral("INSERT INTO visit (patient, date, record) VALUES (?, ?, ?)"),
                      {p.id, date, patients::blankVisit(date)});
    });
    if (!e && made)
        *made = p;
    return e;
}

Error ClinicStore::deletePatient(const Patient& read) {
    return m_connection.transaction([&](Connection& c) -> Error {
        QSqlQuery q = c.query();
        if (Error e = c.exec(q, QStringLiteral("DELETE FROM patient WHERE id = ? AND version = ?"),
                             {read.id, read.version}))
            return e;
        return q.numRowsAffected() == 1 ? Error() : patientChanged(read.name);
    });
}

Error ClinicStore::addVisit(Patient* read, const QDate& today, Visit* made) {
    const QString date = patients::dateText(today);
    qint64 version = 0;
    Visit v{0, date, 1, true};
    const Error e = m_connection.transaction([&](Connection& c) -> Error {
        QSqlQuery q = c.query();
        if (Error e = c.exec(q,
                             QStringLiteral("UPDATE patient SET version = version + 1"
                                            " WHERE id = ? AND version = ? RETURNING version"),
                             {read->id, read->version}))
            return e;
        if (Error e = single(q, &version, patientChanged(read->name)))
            return e;
        if (Error e = c.exec(
                q, QStringLiteral("INSERT INTO visit (patient, date, record) VALUES (?, ?, ?) RETURNING id"),
                {read->id, date, patients::blankVisit(date)}))
            return e;
        return single(q, &v.id, Error{Fault::Server, QStringLiteral("Приём не записан")});
    });
    if (e)
        return e;
    read->version = version;
    if (made)
        *made = v;
    return {};
}

Error ClinicStore::deleteVisit(const Visit& read) {
    return m_connection.transaction([&](Connection& c) -> Error {
        QSqlQuery q = c.query();
        const Error gone = visitChanged(read.date);
        if (Error e = c.exec(q, QStringLiteral("SELECT patient FROM visit WHERE id = ?"), {read.id}))
            return e;
        qint64 patient = 0;
        if (Error e = single(q, &patient, gone))
            return e;
        // The patient's row first, as deleting a patient takes it before its visits.
        if (Error e = c.exec(q,
                             QStringLiteral("UPDATE patient SET version = version + 1 WHERE id = ?"
                                            " RETURNING (SELECT count(*) FROM visit WHERE patient = ?)"),
                             {patient, patient}))
            return e;
        qint64 count = 0;
        if (Error e = single(q, &count, gone))
            return e;
        if (count < 2)
            return {Fault::OnlyVisit, patients::kOnlyVisit};
        if (Error e = c.exec(q, QStringLiteral("DELETE FROM visit WHERE id = ? AND version = ?"),
                             {read.id, read.version}))
            return e;
        return q.numRowsAffected() == 1 ? Error() : gone;
    });
}

Error ClinicStore::readVisit(Visit* visit, QString* record) {
    return m_connection.transaction([&](Connection& c) -> Error {
        QSqlQuery q = c.query();
        if (Error e =
                c.exec(q, QStringLiteral("SELECT date, version, complete, record FROM visit WHERE id = ?"),
                       {visit->id}))
            return e;
        if (!q.next())
            return visitChanged(visit->date);
        *visit = {visit->id, q.value(0).toString(), q.value(1).toLongLong(), q.value(2).toBool()};
        *record = q.value(3).toString();
        return {};
    });
}

Error ClinicStore::changeVisit(Visit* visit, const std::function<QString(const QString&)>& change) {
    qint64 version = 0;
    const Error e = m_connection.transaction([&](Connection& c) -> Error {
        QSqlQuery q = c.query();
        if (Error e = c.exec(q, QStringLiteral("SELECT record, version FROM visit WHERE id = ? FOR UPDATE"),
                             {visit->id}))
            return e;
        if (!q.next() || q.value(1).toLongLong() != visit->version)
            return visitChanged(visit->date);
        const QString record = change(q.value(0).toString());
        if (Error e = c.exec(q,
                             QStringLiteral("UPDATE visit SET record = ?, version = version + 1"
                                            " WHERE id = ? RETURNING version"),
                             {record, visit->id}))
            return e;
        return single(q, &version, visitChanged(visit->date));
    });
    if (!e)
        visit->version = version;
    return e;
}

Error ClinicStore::readVisitTexts(Visit* visit, VisitTexts* texts) {
    QString record;
    if (Error e = readVisit(visit, &record))
        return e;
    const QStringList fields = patients::visitFields(record);
    *texts = {patients::fieldText(fields, 1), patients::fieldText(fields, 2), patients::fieldText(fields, 3)};
    return {};
}

Error ClinicStore::saveVisitTexts(Visit* visit, const VisitTexts& t) {
    if (Error e = refused(patients::checkCardText(t.complaints, QStringLiteral("Жалобы"))))
        return e;
    if (Error e = refused(patients::checkCardText(t.diagnosis, QStringLiteral("Диагноз"))))
        return e;
    if (Error e = refused(patients::checkCardText(t.prescription, QStringLiteral("Рецепт"))))
        return e;
    return changeVisit(visit, [&](const QString& record) {
        return patients::withTexts(record, t.complaints, t.diagnosis, t.prescription);
    });
}

Error ClinicStore::loadResults(Visit* visit, session::ResultsMatrix* results) {
    QString record;
    if (Error e = readVisit(visit, &record))
        return e;
    *results = patients::resultsOf(record);
    return {};
}

Error ClinicStore::saveResults(Visit* visit, const session::ResultsMatrix& results) {
    if (Error e = refused(patients::checkResults(results)))
        return e;
    return changeVisit(visit, [&](const QString& record) { return patients::withResults(record, results); });
}

Error ClinicStore::visitRecords(qint64 card, QStringList* dates, QStringList* records) {
    return m_connection.transaction([&](Connection& c) -> Error {
        dates->clear();
        records->clear();
        QSqlQuery q = c.query();
        if (Error e = c.exec(
                q,
                QStringLiteral("SELECT v.date, v.record FROM patient p JOIN visit v ON v.patient = p.id"
                               " WHERE p.card = ? ORDER BY v.id DESC"),
                {card}))
            return e;
        while (q.next()) {
            *dates << q.value(0).toString();
            *records << q.value(1).toString();
        }
        // Every patient has a visit: none, and the patient is gone.
        return dates->isEmpty() ? patientChanged({}) : Error();
    });
}

} // namespace clinicdb
