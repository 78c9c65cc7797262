#pragma once
// Visits holding chosen result cells, for the chart tests.
#include "charts/chartdata.h"
#include "patients/patientfiles.h"

#include <QList>
#include <tuple>

namespace chartcells {

using Cells = QList<std::tuple<int, int, QString>>;

inline session::ResultsMatrix matrixWith(const Cells& cells) {
    session::ResultsMatrix m;
    for (const auto& [r, c, t] : cells)
        m.cell(r, c) = t;
    return m;
}

inline charts::VisitCells visitWith(const Cells& cells) {
    return charts::VisitCells::of(matrixWith(cells));
}

// A card's visit record holding those cells, as saving results writes it.
inline QString recordWith(const Cells& cells) {
    return patients::withResults(patients::blankVisit(QStringLiteral("01.01.2020")), matrixWith(cells));
}

} // namespace chartcells
