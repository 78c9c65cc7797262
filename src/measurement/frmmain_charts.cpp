// The result charts: Ctrl+G opens them for the visit loaded here, the patient list asks for
// its chosen patient's, and a click on a bar selects its point in this window.
#include "charts/chartwindow.h"
#include "measurement/frmmain.h"
#include "patients/frmclient.h"

#include <QComboBox>
#include <QRadioButton>

namespace {

// Shows the charts with their bars selecting through `select`.
void present(ChartWindow* charts, frmmain* main, void (frmmain::*select)(int, bool, int)) {
    if (!charts)
        return;
    QObject::connect(charts, &ChartWindow::pointChosen, main, select);
    charts->show();
}

} // namespace

void frmmain::openCharts() {
    present(openLoadedCharts(this, *m_store, m_session), this, &frmmain::selectFromChart);
}

void frmmain::openListCharts(int patient, int visit) {
    present(::openCharts(m_client, *m_store, patient, m_session, visit), this, &frmmain::selectFromChart);
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
