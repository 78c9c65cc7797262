#pragma once
// The point grid's rows as a test sees them: which are lit.
#include "catalogue/catalogue.h"
#include "common/colours.h"
#include "common/widgets.h"
#include "mainui.h"
#include "measurement/pointgrid.h"

#include <QLabel>
#include <QList>

inline bool highlighted(const QLabel* l) {
    return backColour(l) == colours::toQColor(colours::kInfoBackground);
}

inline QList<int> highlightedRows(const MainUi& w) {
    QList<int> rows;
    for (int r = 0; r < catalogue::kRows; ++r)
        if (highlighted(w.grid->lblnumber[r]))
            rows << r;
    return rows;
}
