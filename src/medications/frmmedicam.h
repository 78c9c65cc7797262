#pragma once
// The medication editor: browse the medication file by meridian and point, add and delete
// a point's medications; the file is written when the editor is left with "Выход" after a
// change. It is hidden, not destroyed, between uses, and every showing reads the file anew.
#include "common/workfolder.h"
#include "medications/medicamdb.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class frmmedicam : public QDialog {
    Q_OBJECT
  public:
    explicit frmmedicam(const WorkFolder& folder, QWidget* parent = nullptr);

    // Reads the file and fills the lists; runs on every showing.
    void Form_Activate();
    void lstmeridian_Click();
    void lstpoint_Click();
    void cmdadd_Click();
    void cmddel_Click();
    void cmdexit_Click();

    // The document as the editor holds it, changes included.
    const medicam::Database& document() const { return m_db; }

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* txtadd = nullptr;
    QPushButton* cmdexit = nullptr;
    QPushButton* cmdadd = nullptr;
    QPushButton* cmddel = nullptr;
    QListWidget* lstmeridian = nullptr;
    QListWidget* lstpoint = nullptr;
    QListWidget* lstmedicam = nullptr;

  public slots:
    // The close box and Escape: a change is not dropped without asking.
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void buildLayout();
    void fillMedications();
    // Writes the file when something changed; false (and said) when the write failed.
    bool saveChanges();

    WorkFolder m_folder;
    medicam::Database m_db;
};
