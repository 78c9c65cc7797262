#pragma once
// One step of the crash test's writer: the results of the large card's first visit
// saved (two matrices in turn), then a visit added to or deleted from patient 1, so every
// file only ever holds one of a few contents.
#include "patients/patientstore.h"

namespace crashtest {

inline const QDate kDate(2026, 12, 8);

inline session::ResultsMatrix matrix(int k) {
    session::ResultsMatrix m;
    for (int r = 0; r < session::kResultRows; ++r)
        for (int c = 0; c < (r < 21 ? session::kResultColumns : 1); ++c)
            m.cell(r, c) = QStringLiteral("%1 %2").arg((r + c + k) % 101).arg(k);
    return m;
}

// The generated database has the large card on top (patient 0) and patient 1 with 3 visits.
inline bool step(patients::PatientStore& store, int k) {
    patients::IndexRecord big, small;
    if (store.choose(0, &big) || store.choose(1, &small))
        return false;
    const session::Choice visit{big.name(), big.year(), big.cardFile(), 0, big.dateLines().first()};
    if (store.saveResults(visit, visit, matrix(k % 2)))
        return false;
    return small.dateCount() == 3 ? !store.addVisit(1, kDate) : !store.deleteVisit(1, 0);
}

} // namespace crashtest
