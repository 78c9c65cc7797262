// Point selection, the side options, the results grid and its manual correction.
#include "common/colours.h"
#include "common/messages.h"
#include "common/textutil.h"
#include "common/widgets.h"
#include "measurement/frmmain.h"
#include "measurement/keycodes.h"
#include "measurement/pointgrid.h"
#include "medications/prescription.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
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
    const int m = currentMeridian();
    if (chkkti->isChecked()) {
        if (m >= 0)
            number = catalogue::ktiRow(m);
        grid->highlight(m >= 0 ? number : -1);
    } else if (row >= 0 && row < catalogue::kRows) {
        number = row;
        grid->highlight(row);
    } else {
        grid->highlight(-1);
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
        lstpreparat->addItems(medicam::testingList(m_medicationFile, m, number, chkkti->isChecked()));
    lstpreparat->setCurrentRow(-1);
    m_session.clearPrescription();
}

void frmmain::cmdaddcard_Click() {
    QStringList listed;
    for (int i = 0; i < lstpreparat->count(); ++i)
        listed << lstpreparat->item(i)->text();
    // The current row alone is no choice: after an addition the list keeps no selection.
    const QListWidgetItem* current = lstpreparat->currentItem();
    const int chosen = current && current->isSelected() ? lstpreparat->currentRow() : -1;
    const QString refusal = medicam::addToPrescription(m_session, listed, chosen);
    if (!refusal.isEmpty()) {
        msgbox::info(this, refusal);
        return;
    }
    lstpreparat->clearSelection();
    lstpreparat->setCurrentRow(-1);
    showPrescription(listed[chosen]);
}

void frmmain::showPrescription(const QString& added) {
    const int pending = int(m_session.strRecept.count(QStringLiteral("\r\n")));
    const QString count = QStringLiteral("В рецепте: %1").arg(pending);
    if (added.isEmpty()) {
        lblrecept->setText(pending ? count : QString());
        lblrecept->setAccessibleDescription(pending ? count : QStringLiteral("Рецепт пуст"));
        return;
    }
    const QString head = QStringLiteral("Добавлен: ");
    const QFontMetrics fm = lblrecept->fontMetrics();
    const QString name =
        fm.elidedText(added, Qt::ElideRight, lblrecept->width() - fm.horizontalAdvance(head) - 2);
    lblrecept->setText(head + name + u'\n' + count);
    lblrecept->setAccessibleDescription(QStringLiteral("Добавлен в рецепт: %1. %2").arg(added, count));
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

void frmmain::correctResult(int row, bool maxBox, int keyCode) {
    if (row < 0 || row >= catalogue::kRows)
        return;
    bool refused = false;
    const QString text = grid->edit(row, maxBox, keyCode, &refused);
    if (refused)
        msgbox::info(this, QStringLiteral("%1 не может быть больше %2.")
                               .arg(maxBox ? QStringLiteral("Максимум") : QStringLiteral("Падение"))
                               .arg(keycodes::kMaxFigure));
    const int m = cbomeridian->currentIndex();
    if (!session::ResultsMatrix::inRange(m, intright + row))
        return;
    m_session.strRezult.cell(m, intright + row) = text;
    m_session.markUnsaved();
}

void frmmain::txtmax_KeyDown(int row, int keyCode, int) {
    correctResult(row, true, keyCode);
}

void frmmain::txtpad_KeyDown(int row, int keyCode, int) {
    correctResult(row, false, keyCode);
}

void frmmain::DrawPoints(int Index) {
    const int m = currentMeridian();
    if (m < 0)
        return;
    drawBodyMap(m, Index, leftSide(), chkkti->isChecked());
    grid->showResults(m_session.strRezult, cbomeridian->currentIndex(), intright);
}
