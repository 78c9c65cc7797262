#pragma once
// The operations of the crash and fault tests, and the round a killed writer goes: a new
// patient on top, a visit added to the large card, its texts, its results, the new patient
// deleted, the visit deleted. Every file only ever holds one of a few contents; the index
// differs from round to round only in its counter and the new patient's card number.
#include "patients/patientstore.h"

namespace crashtest {

using namespace patients;

inline const QDate kDate(2026, 12, 8);
inline const QString kBig = QStringLiteral("c 4.dat");
enum Op { Create, AddVisit, Texts, Results, DeletePatient, DeleteVisit, kOps };

inline session::ResultsMatrix matrix(int k) {
    session::ResultsMatrix m;
    for (int r = 0; r < session::kResultRows; ++r)
        for (int c = 0; c < (r < 21 ? session::kResultColumns : 1); ++c)
            m.cell(r, c) = QStringLiteral("%1 %2").arg((r + c + k) % 101).arg(k);
    return m;
}

// `op` on the patient with card file `card` (the list's first for -), as a window does it.
inline Error run(PatientStore& store, int op, const QString& card) {
    const auto& records = store.index().records;
    int p = 0;
    while (p < records.size() && records[p].cardFile() != card && card != "-")
        ++p;
    PatientView v;
    VisitRef now;
    if (Error e = op == Create ? Error() : store.choose(p, &v))
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
    return !run(store, op, op == DeletePatient ? "-" : kBig);
}

} // namespace crashtest
