#pragma once
// A new patient: surname, first name with patronymic and year of birth; the patient goes
// on top of the list with one visit dated today. Opened modally from the patient list.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class frmclient;

class frmclientnew : public QDialog {
    Q_OBJECT
  public:
    explicit frmclientnew(frmclient& list, QWidget* parent = nullptr);

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
    frmclient& m_list;
};
