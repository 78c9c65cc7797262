#include "medications/frmmedicam.h"

#include "common/form.h"
#include "common/messages.h"
#include "common/widgets.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>

using form::make;
using form::px;
using form::tw;

namespace {

const QString kTitle = QStringLiteral("Медицинские препараты");

} // namespace

frmmedicam::frmmedicam(const WorkFolder& folder, QWidget* parent) : QDialog(parent), m_folder(folder) {
    setObjectName("frmmedicam");
    setWindowTitle(kTitle);
    setModal(true);
    useFormFont(this);
    buildLayout();
    connect(lstmeridian, &QListWidget::currentRowChanged, this, &frmmedicam::lstmeridian_Click);
    connect(lstpoint, &QListWidget::currentRowChanged, this, &frmmedicam::lstpoint_Click);
    connect(cmdadd, &QPushButton::clicked, this, &frmmedicam::cmdadd_Click);
    connect(cmddel, &QPushButton::clicked, this, &frmmedicam::cmddel_Click);
    connect(cmdexit, &QPushButton::clicked, this, &frmmedicam::cmdexit_Click);
}

void frmmedicam::buildLayout() {
    // Client area 7380 x 5115 twips.
    setFixedSize(px(7380), px(5115));
    Label1 = make<QLabel>(this, "Label1", QStringLiteral("Меридиан:"), tw(600, 0, 810, 195));
    Label2 = make<QLabel>(this, "Label2", QStringLiteral("Точка:"), tw(2880, 0, 495, 195));
    Label3 = make<QLabel>(this, "Label3", QStringLiteral("Препарат:"), tw(4800, 0, 780, 195));
    // There is free room beside each of them.
    for (QLabel* l : {Label1, Label2, Label3})
        fitCaption(l, kAnyWidth);
    txtadd = make<QLineEdit>(this, "txtadd", tw(1320, 4680, 3615, 285));
    txtadd->setAccessibleName(QStringLiteral("Название нового препарата"));
    cmdexit = make<QPushButton>(this, "cmdexit", QStringLiteral("Выход"), tw(6360, 4200, 975, 375));
    cmdadd = make<QPushButton>(this, "cmdadd", QStringLiteral("Добавить"), tw(6360, 360, 975, 375));
    cmddel = make<QPushButton>(this, "cmddel", QStringLiteral("Удалить"), tw(6360, 1080, 975, 375));
    lstmeridian = make<QListWidget>(this, "lstmeridian", tw(120, 240, 1935, 4260));
    lstmeridian->setAccessibleName(QStringLiteral("Меридианы"));
    lstpoint = make<QListWidget>(this, "lstpoint", tw(2040, 240, 2295, 4260));
    lstpoint->setAccessibleName(QStringLiteral("Точки меридиана"));
    lstmedicam = make<QListWidget>(this, "lstmedicam", tw(4320, 240, 1935, 4260));
    lstmedicam->setAccessibleName(QStringLiteral("Препараты точки"));
    // Enter in the name box adds the name; no button takes Enter, so an Enter elsewhere
    // sends nothing anywhere by accident.
    for (QPushButton* b : {cmdexit, cmdadd, cmddel})
        b->setAutoDefault(false);
    connect(txtadd, &QLineEdit::returnPressed, this, &frmmedicam::cmdadd_Click);
    setTabOrder(txtadd, cmdexit);
    setTabOrder(cmdexit, cmdadd);
    setTabOrder(cmdadd, cmddel);
    setTabOrder(cmddel, lstmeridian);
    setTabOrder(lstmeridian, lstpoint);
    setTabOrder(lstpoint, lstmedicam);
}

void frmmedicam::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A restore from the task bar is no new opening: it must not drop what was edited.
    if (!event->spontaneous())
        Form_Activate();
}

void frmmedicam::Form_Activate() {
    m_db = medicam::Database::load(m_folder);
    {
        const QSignalBlocker quiet(lstmeridian);
        lstmeridian->clear();
        lstmeridian->addItems(m_db.meridianNames());
        lstmeridian->setCurrentRow(0);
    }
    lstmeridian_Click();
    // Said after filling, so the lists behind the message already show what was read.
    if (!m_db.problem().isEmpty())
        msgbox::info(this, m_db.problem());
}

void frmmedicam::lstmeridian_Click() {
    {
        const QSignalBlocker quiet(lstpoint);
        lstpoint->clear();
        lstpoint->addItems(m_db.pointNames(lstmeridian->currentRow()));
        lstpoint->setCurrentRow(0);
    }
    lstpoint_Click();
}

void frmmedicam::lstpoint_Click() {
    fillMedications();
}

void frmmedicam::fillMedications() {
    lstmedicam->clear();
    lstmedicam->addItems(m_db.medications(lstmeridian->currentRow(), lstpoint->currentRow()));
    lstmedicam->setCurrentRow(-1);
}

void frmmedicam::cmdadd_Click() {
    QString refusal;
    if (!m_db.add(lstmeridian->currentRow(), lstpoint->currentRow(), txtadd->text(), &refusal)) {
        msgbox::info(this, refusal);
        return;
    }
    txtadd->clear();
    fillMedications();
    lstmedicam->scrollToBottom();
}

void frmmedicam::cmddel_Click() {
    const int row = lstmedicam->currentRow();
    if (row < 0 || !lstmedicam->item(row)->isSelected()) {
        msgbox::info(this, medicam::kNoMedication);
        return;
    }
    // The question names the medication and its point, under the question itself.
    const QString question = QStringLiteral("Вы действительно хотите удалить лекарственное средство?\n\n"
                                            "Препарат: %1\nТочка: %2")
                                 .arg(lstmedicam->item(row)->text(), lstpoint->currentItem()->text());
    if (msgbox::question(this, question, QStringLiteral("Удаление лекарственного средства"), true) !=
        msgbox::Answer::Yes)
        return;
    m_db.remove(lstmeridian->currentRow(), lstpoint->currentRow(), row);
    fillMedications();
}

bool frmmedicam::saveChanges() {
    QString error;
    if (m_db.save(m_folder, &error))
        return true;
    msgbox::info(this, error);
    return false;
}

void frmmedicam::cmdexit_Click() {
    // A failed write keeps the editor open with the change, so it is not lost by the
    // reading of the old file at the next opening.
    if (!saveChanges())
        return;
    hide();
}

void frmmedicam::reject() {
    if (m_db.changed()) {
        switch (msgbox::questionWithCancel(this, QStringLiteral("Сохранить изменения в списке препаратов?"),
                                           kTitle)) {
        case msgbox::Answer::Yes:
            if (!saveChanges())
                return;
            break;
        case msgbox::Answer::No:
            break;
        default:
            return;
        }
    }
    QDialog::reject();
}
