#include "clinicdb/databasestore.h"

namespace clinicdb {

namespace {

// The windows' faults, beside the database's own.
using WFault = patients::Fault;

// A store error as the windows know it; `other`: what any other failure stopped.
patients::Error told(const Error& e, WFault other = WFault::WriteFailed) {
    switch (e.fault) {
    case clinicdb::Fault::None:
        return {};
    case clinicdb::Fault::BadText:
        return {WFault::BadText, e.message};
    case clinicdb::Fault::OnlyVisit:
        return {WFault::OnlyVisit, e.message};
    case clinicdb::Fault::Changed:
        return {WFault::Changed, e.message};
    case clinicdb::Fault::Lost:
        return {WFault::Lost, e.message};
    case clinicdb::Fault::Timeout:
        return {WFault::Locked, e.message};
    default:
        return {other, e.message};
    }
}

// Tokens are the row ids and versions read, as text: opaque to the windows.
QByteArray token(std::initializer_list<qint64> parts) {
    QByteArrayList out;
    for (qint64 p : parts)
        out << QByteArray::number(p);
    return out.join(':');
}

bool untoken(const QByteArray& token, qsizetype count, QList<qint64>* parts) {
    parts->clear();
    for (const QByteArray& piece : token.split(':')) {
        bool ok = false;
        parts->append(piece.toLongLong(&ok));
        if (!ok)
            return false;
    }
    return parts->size() == count;
}

// "c N.dat" for any N: the database's card numbers go past the folder's 32,767.
qint64 cardOf(QStringView cardFile) {
    if (!cardFile.startsWith(u"c ") || !cardFile.endsWith(u".dat"))
        return 0;
    return cardFile.sliced(2, cardFile.size() - 6).toLongLong();
}

QString cardFileOf(qint64 card) {
    return patients::cardFileName(int(card));
}

} // namespace

DatabaseStore::DatabaseStore(const ConnParams& params, const Limits& limits)
    : m_params(params), m_db(params, limits) {}

QString DatabaseStore::place() const {
    // Without a name libpq takes the user's; without a host, or with a socket folder, this computer.
    const QString db = m_params.database.isEmpty() ? m_params.user : m_params.database;
    const bool local = m_params.host.isEmpty() || m_params.host.startsWith(u'/');
    const QString where =
        local ? QStringLiteral("на этом компьютере") : QStringLiteral("на сервере %1").arg(m_params.host);
    return db.isEmpty() ? QStringLiteral("база данных %1").arg(where)
                        : QStringLiteral("база данных \"%1\" %2").arg(db, where);
}

patients::Error DatabaseStore::ready() {
    if (m_ready)
        return {};
    if (const Error e = m_db.open())
        return told(e, WFault::ReadFailed);
    m_ready = true;
    return {};
}

patients::Error DatabaseStore::load() {
    m_list.clear();
    m_cards.clear();
    if (patients::Error e = ready())
        return e;
    const Error e = m_db.listIndex([&](const QString& record) {
        m_list << patients::IndexRecord::parse(record);
        m_cards << cardOf(m_list.constLast().cardFileView());
    });
    if (e) {
        m_list.clear();
        m_cards.clear();
        return told(e, WFault::ReadFailed);
    }
    return {};
}

int DatabaseStore::positionOf(qint64 card, int hint) const {
    return hint >= 0 && hint < m_cards.size() && m_cards[hint] == card ? hint : int(m_cards.indexOf(card));
}

patients::Error DatabaseStore::viewOf(qint64 card, int position, patients::PatientView* view) {
    Patient p;
    QList<Visit> visits;
    if (const Error e = m_db.choose(card, &p, &visits))
        return told(e, WFault::ReadFailed);
    const QString file = cardFileOf(card);
    QStringList dates;
    patients::PatientView v;
    for (qsizetype i = 0; i < visits.size(); ++i) {
        const Visit& visit = visits[i];
        dates << visit.date;
        v.visits.append(
            {file, int(i), visit.date, token({p.id, visit.id, visit.version, visit.complete ? 0 : 1})});
        v.cut = v.cut || !visit.complete;
    }
    v.record = patients::IndexRecord::make(p.name, p.year, patients::datesField(dates), file);
    v.ref = {positionOf(card, position), file, token({p.id, p.version})};
    // The line shows the patient as it now is.
    if (v.ref.position >= 0)
        m_list[v.ref.position] = v.record;
    *view = std::move(v);
    return {};
}

patients::Error DatabaseStore::viewAfter(qint64 card, int position, patients::PatientView* view) {
    const patients::Error e = viewOf(card, position, view);
    if (!e)
        return {};
    return {WFault::Unfinished,
            QStringLiteral("Изменение записано, но карту не удалось прочитать заново. %1").arg(e.message)};
}

patients::Error DatabaseStore::choose(int patient, patients::PatientView* view) {
    if (patient < 0 || patient >= m_cards.size())
        return {WFault::NoPatient, patients::kNoPatient};
    if (patients::Error e = ready())
        return e;
    return viewOf(m_cards[patient], patient, view);
}

patients::Error DatabaseStore::createPatient(const QString& surname, const QString& given,
                                             const QString& year, const QDate& today) {
    if (patients::Error e = ready())
        return e;
    Patient made;
    if (const Error e = m_db.createPatient(surname, given, year, today, &made))
        return told(e);
    m_list.prepend(patients::IndexRecord::make(
        made.name, made.year, patients::datesField({patients::dateText(today)}), cardFileOf(made.card)));
    m_cards.prepend(made.card);
    return {};
}

patients::Error DatabaseStore::patientRow(const patients::PatientRef& ref, Patient* patient) const {
    QList<qint64> parts;
    if (!untoken(ref.token, 2, &parts))
        return told(patientChanged({}));
    const qint64 card = cardOf(ref.cardFile);
    const int at = positionOf(card, ref.position);
    *patient = {parts[0], card, at < 0 ? QString() : m_list[at].name(), QString(), parts[1]};
    return {};
}

patients::Error DatabaseStore::visitRow(const patients::VisitRef& ref, VisitRow* row) const {
    QList<qint64> parts;
    if (!untoken(ref.token, 4, &parts))
        return told(visitChanged(ref.date));
    *row = {parts[0], {parts[1], ref.date, parts[2], parts[3] == 0}};
    return {};
}

patients::Error DatabaseStore::deletePatient(const patients::PatientRef& ref) {
    Patient p;
    if (patients::Error e = patientRow(ref, &p))
        return e;
    if (patients::Error e = ready())
        return e;
    if (const Error e = m_db.deletePatient(p))
        return told(e, WFault::DeleteFailed);
    if (const int at = positionOf(p.card, ref.position); at >= 0) {
        m_list.removeAt(at);
        m_cards.removeAt(at);
    }
    return {};
}

patients::Error DatabaseStore::addVisit(const patients::PatientRef& ref, const QDate& today,
                                        patients::PatientView* view) {
    Patient p;
    if (patients::Error e = patientRow(ref, &p))
        return e;
    if (patients::Error e = ready())
        return e;
    if (const Error e = m_db.addVisit(&p, today))
        return told(e);
    return viewAfter(p.card, ref.position, view);
}

patients::Error DatabaseStore::deleteVisit(const patients::VisitRef& ref, patients::PatientView* view) {
    VisitRow row;
    if (patients::Error e = visitRow(ref, &row))
        return e;
    if (patients::Error e = ready())
        return e;
    if (const Error e = m_db.deleteVisit(row.visit))
        return told(e, WFault::DeleteFailed);
    return viewAfter(cardOf(ref.cardFile), -1, view);
}

patients::Error DatabaseStore::readChecked(const patients::VisitRef& ref,
                                           const std::function<Error(Visit*)>& read) {
    VisitRow row;
    if (patients::Error e = visitRow(ref, &row))
        return e;
    if (patients::Error e = ready())
        return e;
    const qint64 version = row.visit.version;
    if (const Error e = read(&row.visit))
        return told(e, WFault::ReadFailed);
    return row.visit.version == version ? patients::Error() : told(visitChanged(ref.date));
}

patients::Error DatabaseStore::readVisit(const patients::VisitRef& ref, patients::VisitTexts* texts) {
    VisitTexts t;
    if (patients::Error e = readChecked(ref, [&](Visit* v) { return m_db.readVisitTexts(v, &t); }))
        return e;
    *texts = {t.complaints, t.diagnosis, t.prescription};
    return {};
}

patients::Error DatabaseStore::loadResults(const patients::VisitRef& ref, session::ResultsMatrix* results) {
    session::ResultsMatrix m;
    if (patients::Error e = readChecked(ref, [&](Visit* v) { return m_db.loadResults(v, &m); }))
        return e;
    *results = m;
    return {};
}

patients::Error DatabaseStore::changeVisit(const patients::VisitRef& ref, patients::VisitRef* now,
                                           const std::function<Error(Visit*)>& change) {
    VisitRow row;
    if (patients::Error e = visitRow(ref, &row))
        return e;
    // As in the folder: a visit an older program left cut short is shown, never changed.
    if (!row.visit.complete)
        return {
            WFault::Cut,
            QStringLiteral("Посещение %1 записано не полностью: его можно только просмотреть").arg(ref.date)};
    if (patients::Error e = ready())
        return e;
    if (const Error e = change(&row.visit))
        return told(e);
    *now = ref;
    now->token = token({row.patient, row.visit.id, row.visit.version, 0});
    return {};
}

patients::Error DatabaseStore::saveVisitTexts(const patients::VisitRef& ref, const patients::VisitTexts& t,
                                              patients::VisitRef* now) {
    return changeVisit(ref, now, [&](Visit* v) {
        return m_db.saveVisitTexts(v, {t.complaints, t.diagnosis, t.prescription});
    });
}

patients::Error DatabaseStore::saveResults(const patients::VisitRef& ref,
                                           const session::ResultsMatrix& results, patients::VisitRef* now) {
    return changeVisit(ref, now, [&](Visit* v) { return m_db.saveResults(v, results); });
}

patients::Error DatabaseStore::readVisits(const QString& cardFile, patients::VisitRecords* visits) {
    const qint64 card = cardOf(cardFile);
    if (card <= 0)
        return {WFault::NoPatient, patients::kNoPatient};
    if (patients::Error e = ready())
        return e;
    patients::VisitRecords read;
    if (const Error e = m_db.visitRecords(card, &read.dates, &read.records))
        return told(e, WFault::ReadFailed);
    *visits = std::move(read);
    return {};
}

} // namespace clinicdb
