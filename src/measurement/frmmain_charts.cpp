// The result charts: Ctrl+G opens them for the visit loaded here, and a click on a bar
// selects its point in this window.
#include "charts/chartwindow.h"
#include "measurement/frmmain.h"

#include <QComboBox>
#include <QRadioButton>

void frmmain::openCharts() {
    if (ChartWindow* w = openLoadedCharts(this, m_folder, m_session)) {
        connect(w, &ChartWindow::pointChosen, this, &frmmain::selectFromChart);
        w->show();
    }
}

void frmmain::selectFromChart(int meridian, bool leftSide, int row) {
    const bool branch = meridian >= catalogue::kFirstBranchRow;
    // Only a place the grid has: anything else would index past its rows.
    if (meridian < 0 || meridian >= catalogue::kResultRows ||
        (!branch && (row < 0 || row >= catalogue::kRows)))
        return;
    // VEGA holds the window in medication testing; the branch mode must wait for its end.
    if (branch && reading.blnVega())
        return;
    if (branch != (currentMode() == modes::Mode::Branches))
        (branch ? opthand : optdiagnoz)->setChecked(true);
    cbomeridian->setCurrentIndex(branch ? meridian - catalogue::kFirstBranchRow : meridian);
    cbomeridian_Click();
    if (branch)
        return;
    if (leftSide != optleft->isChecked())
        (leftSide ? optleft : optright)->setChecked(true);
    Index = row;
    lblnumber_Click(row);
}
