#pragma once
// The operations of the crash and fault tests, and a killed writer's round of them, so every
// file only ever holds one of a few contents (the index but for its counter and new card).
#include "patients/patientstore.h"

namespace crashtest {

using namespace patients;

inline const QDate kDate(2026, 12, 8);
enum Op { Create, AddVisit, Texts, Results, DeletePatient, DeleteVisit, kOps };

inline session::ResultsMatrix matrix(int k) {
    session::ResultsMatrix m;
    for (int r = 0; r < session::kResultRows; ++r)
        for (int c = 0; c < (r < 21 ? session::kResultColumns : 1); ++c)
            m.cell(r, c) = QStringLiteral("%1 %2").arg((r + c + k) % 101).arg(k);
    return m;
}

// `op` on the patient at line `patient` of the list, as a window does it.
inline Error run(PatientStore& store, int op, int patient) {
    PatientView v;
    VisitRef now;
    if (Error e = op == Create ? Error() : store.choose(patient, &v))
        return e;
    switch (op) {
    case Create:
        return store.createPatient(QStringLiteral("Новый"), QStringLiteral("Пациент"), "2000", kDate);
    case AddVisit:
        return store.addVisit(v.ref, kDate, &v);
    case Texts:
        return store.saveVisitTexts(v.visits[0], {QStringLiteral("жалобы")}, &now);
    case Results:
        return store.saveResults(v.visits[0], matrix(1), &now);
    case DeletePatient:
        return store.deletePatient(v.ref);
    }
    return store.deleteVisit(v.visits[0], &v);
}

// The next step of the round, told by the files; false when it failed.
inline bool step(PatientStore& store) {
    PatientView v;
    VisitTexts t;
    session::ResultsMatrix m;
    if (store.choose(0, &v))
        return false;
    const bool made = v.record.name() == QStringLiteral("Новый Пациент");
    if ((made && store.choose(1, &v)) || store.readVisit(v.visits[0], &t) ||
        store.loadResults(v.visits[0], &m))
        return false;
    const int op = v.visits[0].date != dateText(kDate) ? (made ? AddVisit : Create)
                   : t.complaints.isEmpty()            ? Texts
                   : m.isEmpty()                       ? Results
                   : made                              ? DeletePatient
                                                       : DeleteVisit;
    return !run(store, op, made && op != DeletePatient ? 1 : 0);
}

} // namespace crashtest
