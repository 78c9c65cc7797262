// The meridian list and the three diagnostic modes.
#include "common/colourvalues.h"
#include "common/widgets.h"
#include "measurement/frmmain.h"
#include "measurement/gauge.h"
#include "measurement/pointgrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

modes::Mode frmmain::currentMode() const {
    if (opttest->isChecked())
        return modes::Mode::Testing;
    return opthand->isChecked() ? modes::Mode::Branches : modes::Mode::Points;
}

void frmmain::cbomeridian_Click() {
    grid->highlight(-1);
    const QString item = cbomeridian->currentText();
    if (const int m = catalogue::findMeridian(item); m >= 0) {
        grid->showPoints(m);
        // The probe's cursor starts from the bottom row of every meridian, so a short
        // press never steps to a row the meridian does not have.
        Index = catalogue::bottomRow(m);
        lblnumber_Click(Index);
    } else if (const int b = catalogue::findBranch(item); b >= 0) {
        drawBranchPicture(b);
        showBranchResult(cbomeridian->currentIndex());
    }
}

void frmmain::showBranchResult(int branch) {
    const session::ResultFields f =
        session::splitResult(m_session.strRezult.cell(catalogue::kFirstBranchRow + branch, 0));
    Frame1->showFigures(f.max, f.drop);
}

void frmmain::applyMode(modes::Mode mode) {
    const modes::Layout l = modes::layout(mode);
    lblmerid->setText(l.meridCaption);
    lblmerid->setAccessibleName(l.meridCaption);
    cbomeridian->setAccessibleName(l.meridCaption);
    cmdsave->setEnabled(l.saveEnabled);
    QRadioButton* own = mode == modes::Mode::Points    ? optdiagnoz
                        : mode == modes::Mode::Testing ? opttest
                                                       : opthand;
    {
        // Setting the option is part of the handler, not a new choice.
        const QSignalBlocker b1(optdiagnoz), b2(opttest), b3(opthand);
        own->setChecked(true);
    }
    frapoint->setVisible(l.frameVisible);
    if (!l.frameCaption.isEmpty()) {
        frapoint->setTitle(l.frameCaption);
        frapoint->setAccessibleName(l.frameCaption);
    }
    txtfunction->setVisible(l.functionVisible);
    lstpreparat->setVisible(l.medicationsVisible);
    cmdaddcard->setVisible(l.medicationsVisible);
    lblrecept->setVisible(l.medicationsVisible);
    m_sideLabel->setVisible(l.headerVisible);
    grid->setHeaderVisible(l.headerVisible);
    chkkti->setVisible(l.sideVisible);
    optleft->setVisible(l.sideVisible);
    optright->setVisible(l.sideVisible);
    if (l.hideAllRows)
        grid->hideRows();
    Frame1->colourScale(mode);
    cbomeridian->clear();
    cbomeridian->addItems(l.items);
    cbomeridian->setCurrentIndex(0);
    cbomeridian_Click();
}

void frmmain::optdiagnoz_Click() {
    applyMode(modes::Mode::Points);
}

void frmmain::opttest_Click() {
    applyMode(modes::Mode::Testing);
}

void frmmain::opthand_Click() {
    applyMode(modes::Mode::Branches);
}
