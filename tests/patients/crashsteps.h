#pragma once
// The operations of the crash and fault tests, and the cycle a killed writer goes round: a
// new patient on top, a visit added to one card, its texts, its results, the new patient
// deleted, the visit deleted. Every file only ever holds one of a few contents (the index
// apart from its counter, which grows by one a round).
#include "patients/patientstore.h"

namespace crashtest {

using namespace patients;

inline const QDate kDate(2026, 12, 8);
inline const QString kNewName = QStringLiteral("Новый Пациент");
enum Op { Create, AddVisit, Texts, Results, DeletePatient, DeleteVisit, kOps };
inline const char* const kOpNames[kOps] = {"create",  "add visit",      "texts",
                                           "results", "delete patient", "delete visit"};

inline session::ResultsMatrix matrix() {
    session::ResultsMatrix m;
    for (int r = 0; r < session::kResultRows; ++r)
        for (int c = 0; c < (r < 21 ? session::kResultColumns : 1); ++c)
            m.cell(r, c) = QStringLiteral("%1 -%2").arg((r + c) % 101).arg(c % 7);
    return m;
}

inline int positionOf(const PatientStore& store, const QString& card) {
    const auto& records = store.index().records;
    for (int p = 0; p < records.size(); ++p)
        if (records[p].cardFile() == card)
            return p;
    return -1;
}

// `op` on the patient with card file `card`, through the store as a window would use it.
inline Error run(PatientStore& store, int op, const QString& card) {
    if (op == Create)
        return store.createPatient(QStringLiteral("Новый"), QStringLiteral("Пациент"), "2000", kDate);
    PatientView v;
    if (Error e = store.choose(positionOf(store, card), &v))
        return e;
    VisitRef now;
    switch (op) {
    case AddVisit:
        return store.addVisit(v.ref, kDate, &v);
    case Texts:
        return store.saveVisitTexts(v.visits[0], {"жалобы", "диагноз", "рецепт"}, &now);
    case Results:
        return store.saveResults(v.visits[0], matrix(), &now);
    case DeletePatient:
        return store.deletePatient(v.ref);
    default:
        return store.deleteVisit(v.visits[0], &v);
    }
}

// The next operation of the round, told by the files: whether the new patient is there, and
// what the first visit of `card` holds.
inline int nextOp(PatientStore& store, const QString& card) {
    PatientView v;
    VisitTexts t;
    session::ResultsMatrix m;
    if (store.choose(positionOf(store, card), &v) || store.readVisit(v.visits[0], &t) ||
        store.loadResults(v.visits[0], &m))
        return -1;
    const bool made = store.index().records[0].name() == kNewName;
    if (t.complaints != "жалобы")
        return v.visits[0].date == dateText(kDate) && t.complaints.isEmpty() && m.isEmpty() ? Texts
               : made                                                                       ? AddVisit
                                                                                            : Create;
    if (m.isEmpty())
        return Results;
    return made ? DeletePatient : DeleteVisit;
}

// One step of the round; false when it failed.
inline bool step(PatientStore& store, const QString& card) {
    const int op = nextOp(store, card);
    return op >= 0 && !run(store, op, op == DeletePatient ? store.index().records[0].cardFile() : card);
}

} // namespace crashtest
