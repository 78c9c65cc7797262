// Writes PNG screenshots of the main window in a few states, of the medication editor and
// of the patient windows, for a look without a display:
//   QT_QPA_PLATFORM=offscreen screenshots <output folder>   (run in a working folder)
#include "measurement/frmmain.h"
#include "medications/frmmedicam.h"
#include "patients/frmclient.h"
#include "patients/frmclientnew.h"
#include "patients/patientstore.h"
#include "uicheck.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTemporaryDir>

namespace {
// The patient list on a few patients made in a folder of its own, and the new-patient window.
void patientShots(frmmain& w, const QString& out) {
    QTemporaryDir dir;
    patients::PatientStore store{WorkFolder(dir.path())};
    frmclient list(*uicheck::child<session::Session>(&w, "session"), store, &w);
    const QDate day(2026, 12, 8);
    list.Form_Load();
    list.store().createPatient(QStringLiteral("Сидорова"), QStringLiteral("Мария Петровна"),
                               QStringLiteral("1962"), day.addDays(-40));
    list.store().createPatient(QStringLiteral("Петров"), QStringLiteral("Пётр Ильич"), QStringLiteral("1958"),
                               day.addDays(-30));
    list.store().createPatient(QStringLiteral("Иванов"), QStringLiteral("Иван Иванович"),
                               QStringLiteral("1950"), day.addDays(-21));
    list.Form_Load();
    patients::PatientView view;
    list.store().choose(0, &view);
    list.store().addVisit(view.ref, day.addDays(-7), &view);
    list.store().addVisit(view.ref, day, &view);
    list.selectPatient(0);
    list.lstdate->setCurrentRow(0);
    list.show();
    QApplication::processEvents();
    list.grab().save(out + QStringLiteral("/patients_list.png"));
    frmclientnew card(list.store(), day, &list);
    card.txtfam->setText(QStringLiteral("Кузнецова"));
    card.txtimaotch->setText(QStringLiteral("Анна Сергеевна"));
    card.txtyear->setText(QStringLiteral("1971"));
    card.show();
    QApplication::processEvents();
    card.grab().save(out + QStringLiteral("/patients_new.png"));
    card.hide();
    list.hide();
}

void choose(frmmain& w, const QString& item) {
    auto* list = uicheck::child<QComboBox>(&w, "cbomeridian");
    list->setCurrentIndex(list->findText(item));
    w.cbomeridian_Click();
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(out);
    frmmain w;
    w.Form_Load();
    w.show();
    auto shot = [&](const QString& name) {
        QApplication::processEvents();
        w.grab().save(out + u'/' + name);
    };
    shot(QStringLiteral("main_hand_left.png"));
    uicheck::child<QRadioButton>(&w, "optright")->setChecked(true);
    shot(QStringLiteral("main_hand_right.png"));
    choose(w, QStringLiteral("Почки"));
    shot(QStringLiteral("main_foot_right.png"));
    uicheck::child<QRadioButton>(&w, "optleft")->setChecked(true);
    uicheck::child<QCheckBox>(&w, "chkkti")->setChecked(true);
    choose(w, QStringLiteral("Почки"));
    shot(QStringLiteral("main_foot_left_kti.png"));
    uicheck::child<QCheckBox>(&w, "chkkti")->setChecked(false);
    uicheck::child<QRadioButton>(&w, "opttest")->setChecked(true);
    shot(QStringLiteral("main_testing.png"));
    uicheck::child<QRadioButton>(&w, "opthand")->setChecked(true);
    shot(QStringLiteral("main_branch.png"));

    frmmedicam editor{WorkFolder()};
    editor.show();
    editor.lstpoint->setCurrentRow(2); // the control point, which has medications in the sample
    editor.txtadd->setText(QStringLiteral("Эхинацея D12"));
    QApplication::processEvents();
    editor.grab().save(out + QStringLiteral("/medicam_editor.png"));
    patientShots(w, out);
    return 0;
}
