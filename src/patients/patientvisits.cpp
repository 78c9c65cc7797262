// The store's operations on one visit: adding and deleting it, its texts and its results.
#include "common/textutil.h"
#include "patients/patientstore.h"
#include "patients/patientstore_p.h"

namespace patients {

namespace {

Error cutVisit(const QString& cardPath) {
    return {Fault::Cut, QStringLiteral("Последнее посещение в файле \"%1\" записано не полностью: "
                                       "его можно только просмотреть")
                            .arg(cardPath)};
}

} // namespace

Error PatientStore::visitNow(const VisitRef& visit, bool finishing, Now* n) {
    if (visit.position < 0)
        return {Fault::NoVisit, kNoVisit};
    if (Error e = readNow(visit.cardFile, true, n))
        return e;
    if (n->agreement == Agreement::Apart)
        return {Fault::Mismatch, mismatch(n->cardPath)};
    if (finishing)
        if (Error e = finish(n))
            return e;
    if (visit.position >= n->dates.size() ||
        visitToken(datesKey(n->dates), visit.position, n->card.record(visit.position)) != visit.token)
        return {Fault::Changed, changedMessage(n->cardPath)};
    return {};
}

// The card first, then the index; the card goes back as it was read when the index cannot
// be written. Should that fail too, the card is ahead, and choosing the patient finishes it.
Error PatientStore::writeCardAndIndex(const Now& n, const Card& card, const Index& index) {
    if (Error e = writeFile(n.cardPath, card.serialise()))
        return e;
    const Error e = writeIndex(index);
    if (!e)
        return {};
    if (writeFile(n.cardPath, n.cardBytes))
        return {Fault::Unfinished, e.message + QStringLiteral(". Карта \"%1\" уже изменена; изменение будет "
                                                              "завершено при следующем выборе пациента")
                                                   .arg(n.cardPath)};
    return e;
}

Error PatientStore::writeVisits(const Now& before, Now after, PatientView* view) {
    after.index.records[before.patient] = before.record().withDates(datesField(after.dates));
    if (Error e = writeCardAndIndex(before, after.card, after.index))
        return e;
    *view = viewOf(after);
    return {};
}

Error PatientStore::addVisit(const PatientRef& patient, const QDate& today, PatientView* view) {
    return underLock([&]() -> Error {
        Now n;
        if (Error e = patientNow(patient, true, &n))
            return e;
        Now after = n;
        after.card.visits.prepend(blankVisit(dateText(today)));
        after.dates.prepend(dateText(today));
        return writeVisits(n, after, view);
    });
}

Error PatientStore::deleteVisit(const VisitRef& visit, PatientView* view) {
    return underLock([&]() -> Error {
        Now n;
        if (Error e = visitNow(visit, true, &n))
            return e;
        if (n.dates.size() < 2)
            return {Fault::OnlyVisit, kOnlyVisit};
        Now after = n;
        after.card.removeVisit(visit.position);
        after.dates.removeAt(visit.position);
        return writeVisits(n, after, view);
    });
}

Error PatientStore::readVisit(const VisitRef& visit, VisitTexts* texts) {
    Now n;
    if (Error e = visitNow(visit, false, &n))
        return e;
    const QStringList fields = visitFields(n.card.record(visit.position));
    *texts = {fieldText(fields, 1), fieldText(fields, 2), fieldText(fields, 3)};
    return {};
}

Error PatientStore::rewriteVisit(const VisitRef& visit, const std::function<Error(QString*)>& change,
                                 VisitRef* now) {
    return underLock([&]() -> Error {
        Now n;
        if (Error e = visitNow(visit, true, &n))
            return e;
        if (visit.position >= n.card.visits.size())
            return cutVisit(n.cardPath);
        QString& record = n.card.visits[visit.position];
        if (Error e = change(&record))
            return e;
        if (Error e = writeFile(n.cardPath, n.card.serialise()))
            return e;
        *now = visit;
        now->token = visitToken(datesKey(n.dates), visit.position, record);
        return {};
    });
}

Error PatientStore::saveVisitTexts(const VisitRef& visit, const VisitTexts& t, VisitRef* now) {
    if (Error e = checkCardText(t.complaints, QStringLiteral("Жалобы")))
        return e;
    if (Error e = checkCardText(t.diagnosis, QStringLiteral("Диагноз")))
        return e;
    if (Error e = checkCardText(t.prescription, QStringLiteral("Рецепт")))
        return e;
    return rewriteVisit(
        visit,
        [&](QString* record) {
            *record = withTexts(*record, t.complaints, t.diagnosis, t.prescription);
            return Error();
        },
        now);
}

Error PatientStore::loadResults(const VisitRef& visit, session::ResultsMatrix* results) {
    Now n;
    if (Error e = visitNow(visit, false, &n))
        return e;
    *results = resultsOf(n.card.record(visit.position));
    return {};
}

Error PatientStore::readVisits(const QString& cardFile, VisitRecords* visits) {
    const auto& records = std::as_const(m_index.records);
    const auto it = std::find_if(records.begin(), records.end(),
                                 [&](const IndexRecord& r) { return r.cardFile() == cardFile; });
    if (it == records.end())
        return {Fault::NoPatient, kNoPatient};
    const QString path = cardPath(cardFile);
    QByteArray bytes;
    if (Error e = readFile(path, &bytes))
        return e;
    const Card card = Card::parse(bytes);
    // A last visit cut short is read as far as it goes.
    visits->records = card.cut() ? card.visits + QStringList{card.tail} : card.visits;
    visits->dates = it->dateLines().mid(0, it->dateCount());
    for (qsizetype i = 0; i < visits->dates.size() && i < visits->records.size(); ++i)
        if (visitDate(visits->records[i]) != visits->dates[i])
            return {Fault::Changed, changedMessage(path)};
    return {};
}

Error PatientStore::saveResults(const VisitRef& visit, const session::ResultsMatrix& results, VisitRef* now) {
    const auto change = [&](QString* record) -> Error {
        // A ">" in an older program's texts moves the rows: writing them would mix fields.
        if (visitFields(*record).size() > kVisitFields)
            return {Fault::Damaged, QStringLiteral("Посещение %1 в файле \"%2\" повреждено: в нём больше "
                                                   "полей, чем в карте бывает")
                                        .arg(visit.date, cardPath(visit.cardFile))};
        if (Error e = checkResults(results, resultsOf(*record)))
            return e;
        *record = withResults(*record, results);
        return {};
    };
    return rewriteVisit(visit, change, now);
}

} // namespace patients
