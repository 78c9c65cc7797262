#pragma once
// A new patient: surname, first name with patronymic and year of birth; the patient goes
// on top of the index with one visit dated today. Opened modally from the patient list,
// which it tells how it was left (exec()'s value, finished()'s argument).
#include "patients/store.h"

#include <QDate>
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class frmclientnew : public QDialog {
    Q_OBJECT
  public:
    // How the window was left: a box empty (nothing made), the patient made, or "Отмена".
    enum Outcome { Cancelled = QDialog::Rejected, LeftEmpty = QDialog::Accepted, Created };

    // The patient is made in `store`, with its first visit on `today`.
    frmclientnew(patients::Store& store, const QDate& today, QWidget* parent = nullptr);

    void cmdok_Click();
    void cmdcancel_Click();

    QLabel* Label1 = nullptr; // "Фамилия:"
    QLabel* Label2 = nullptr; // "Имя, Отчество:"
    QLabel* Label3 = nullptr; // "Год рождения:"
    QLineEdit* txtfam = nullptr;
    QLineEdit* txtimaotch = nullptr;
    QLineEdit* txtyear = nullptr;
    QPushButton* cmdok = nullptr;
    QPushButton* cmdcancel = nullptr;

  protected:
    // The close box and Esc cancel.
    void reject() override;

  private:
    patients::Store& m_store;
    QDate m_today;
};
