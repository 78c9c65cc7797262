// Point selection, the side options, the results grid and its manual correction.
#include "common/colours.h"
#include "common/textutil.h"
#include "common/widgets.h"
#include "measurement/frmmain.h"
#include "measurement/keycodes.h"
#include "medications/medicamfile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>

bool frmmain::leftSide() const {
    return optleft->isChecked();
}

int frmmain::currentMeridian() const {
    return catalogue::findMeridian(cbomeridian->currentText());
}

void frmmain::lblnumber_Click(int row) {
    for (QLabel* l : lblnumber)
        setBackColour(l, colours::kButtonFace);
    const int m = currentMeridian();
    if (chkkti->isChecked()) {
        if (m >= 0) {
            number = catalogue::ktiRow(m);
            setBackColour(lblnumber[number], colours::kInfoBackground);
        }
    } else if (row >= 0 && row < catalogue::kRows) {
        setBackColour(lblnumber[row], colours::kInfoBackground);
        number = row;
    }
    DrawPoints(row);
    showFunctionText();
    listMedications();
}

void frmmain::showFunctionText() {
    const int m = currentMeridian();
    if (m < 0)
        return;
    // A short function file gives an empty text for the lines it lacks.
    txtfunction->setPlainText(text::piece(strFunctionLine, catalogue::functionLine(m, leftSide(), number)));
}

void frmmain::listMedications() {
    lstpreparat->clear();
    const int m = currentMeridian();
    if (m >= 0)
        lstpreparat->addItems(
            medicam::medicationsOf(strPreparatMeridian, m, catalogue::pointCount(m), number));
    lstpreparat->setCurrentRow(-1);
    m_session.clearPrescription();
}

void frmmain::optleft_Click() {
    chooseSide(true);
}

void frmmain::optright_Click() {
    chooseSide(false);
}

void frmmain::chooseSide(bool left) {
    intright = left ? 0 : catalogue::kRightOffset;
    optleft->setChecked(left);
    optright->setChecked(!left);
    // The probe's cursor starts again from the bottom; the grid shows the side's results.
    const int m = currentMeridian();
    if (m >= 0)
        Index = catalogue::bottomRow(m);
    lblnumber_Click(Index);
}

void frmmain::correctResult(int row, QLineEdit* box, int keyCode) {
    if (keyCode == keycodes::kDelete)
        box->clear();
    else if (const int digit = keycodes::mainDigit(keyCode); digit >= 0)
        box->setText(box->text() + QString::number(digit));
    const int m = cbomeridian->currentIndex();
    if (m < 0 || row < 0 || row >= catalogue::kRows)
        return;
    m_session.strRezult.cell(m, intright + row) =
        session::resultText(txtmax[row]->text(), txtpad[row]->text());
    m_session.markUnsaved();
}

void frmmain::txtmax_KeyDown(int row, int keyCode, int) {
    correctResult(row, txtmax[row], keyCode);
}

void frmmain::txtpad_KeyDown(int row, int keyCode, int) {
    correctResult(row, txtpad[row], keyCode);
}

void frmmain::DrawPoints(int Index) {
    const int m = currentMeridian();
    if (m < 0)
        return;
    drawBodyMap(m, Index);
    const int position = cbomeridian->currentIndex();
    for (int j = 0; j < catalogue::kRows; ++j) {
        const session::ResultFields f =
            session::splitResult(m_session.strRezult.cell(position, intright + j));
        txtmax[j]->setText(f.max);
        txtpad[j]->setText(f.drop);
    }
}
