#include "patients/frmclientnew.h"

#include "common/form.h"
#include "common/messages.h"
#include "common/widgets.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using form::make;
using form::tw;

frmclientnew::frmclientnew(patients::Store& store, const QDate& today, QWidget* parent)
    : QDialog(parent), m_store(store), m_today(today) {
    setObjectName("frmclientnew");
    setWindowTitle(QStringLiteral("Новый пациент"));
    setFixedSize(form::px(4950), form::px(2205));
    useFormFont(this);

    Label1 = make<QLabel>(this, "Label1", QStringLiteral("Фамилия:"), tw(360, 120, 1455, 255));
    txtfam = make<QLineEdit>(this, "txtfam", tw(240, 360, 2895, 285));
    Label2 = make<QLabel>(this, "Label2", QStringLiteral("Имя, Отчество:"), tw(360, 840, 1455, 255));
    txtimaotch = make<QLineEdit>(this, "txtimaotch", tw(240, 1080, 2895, 285));
    Label3 = make<QLabel>(this, "Label3", QStringLiteral("Год рождения:"), tw(240, 1680, 1215, 255));
    txtyear = make<QLineEdit>(this, "txtyear", tw(1560, 1680, 615, 285));
    cmdok = make<QPushButton>(this, "cmdok", QStringLiteral("Завести карту"), tw(3480, 600, 1335, 375));
    cmdcancel = make<QPushButton>(this, "cmdcancel", QStringLiteral("Отмена"), tw(3480, 1440, 1335, 375));

    txtfam->setMaxLength(30);
    txtimaotch->setMaxLength(30);
    txtyear->setMaxLength(4);
    txtfam->setAccessibleName(QStringLiteral("Фамилия"));
    txtimaotch->setAccessibleName(QStringLiteral("Имя, Отчество"));
    txtyear->setAccessibleName(QStringLiteral("Год рождения"));
    for (QPushButton* b : {cmdok, cmdcancel})
        b->setAutoDefault(false);
    // Enter in any box makes the card, as the window's one purpose.
    cmdok->setDefault(true);
    widenToFit(this);
    Label1->setBuddy(txtfam);
    Label2->setBuddy(txtimaotch);
    Label3->setBuddy(txtyear);
    setTabOrder(txtfam, txtimaotch);
    setTabOrder(txtimaotch, txtyear);
    setTabOrder(txtyear, cmdok);
    setTabOrder(cmdok, cmdcancel);
    txtfam->setFocus();

    connect(cmdok, &QPushButton::clicked, this, &frmclientnew::cmdok_Click);
    connect(cmdcancel, &QPushButton::clicked, this, &frmclientnew::cmdcancel_Click);
}

void frmclientnew::cmdok_Click() {
    // A box with no character at all creates nothing; blanks alone count as typed.
    if (txtfam->text().isEmpty() || txtimaotch->text().isEmpty() || txtyear->text().isEmpty()) {
        done(LeftEmpty);
        return;
    }
    const patients::Error e =
        m_store.createPatient(txtfam->text(), txtimaotch->text(), txtyear->text(), m_today);
    if (e) {
        // Stays open with what was typed, so a refused character can be mended.
        msgbox::info(this, e.message);
        return;
    }
    done(Created);
}

void frmclientnew::cmdcancel_Click() {
    done(Cancelled);
}

void frmclientnew::reject() {
    cmdcancel_Click();
}
