#pragma once
// The patient list: choosing a patient and a visit, new and deleted patients, added and
// deleted visits. Hidden, never destroyed, by "Выход", so its choice lasts the run; on the
// way out it hands the chosen patient and visit to the session, which loads the visit's
// results for the main window.
#include "common/session.h"
#include "patients/frmcardclient.h"
#include "patients/store.h"

#include <QDate>
#include <QDialog>
#include <QSet>

class QLabel;
class QListView;
class QListWidget;
class QPushButton;
class NameFilterLine;
class frmclientnew;

namespace patients {
class NameListModel;
}

class frmclient : public QDialog {
    Q_OBJECT
  public:
    // The patients are those of `store`, which outlives the window; its place, when it has
    // one, is named in the caption so the practitioner sees where the cards go.
    frmclient(session::Session& session, patients::Store& store, QWidget* parent = nullptr);

    // Opens modally, reading the index the first time and after it was found changed.
    int execList();
    void Form_Load();
    void lstname_Click();
    void cmdnew_Click();
    void cmdredact_Click();
    void cmddelcard_Click();
    void cmdadddate_Click();
    void cmddeldate_Click();
    void cmdexit_Click();

    // The selected lines, -1 for none.
    int selectedPatient() const;
    int selectedDate() const;
    // Selects a patient line and runs the choosing steps (-1 selects nothing).
    void selectPatient(int row);
    // The list follows how a new-patient window is left: the new patient chosen, the first
    // patient after a box left empty, the line chosen before after "Отмена".
    void followNewPatient(const frmclientnew& window);

    patients::Store& store() { return m_store; }
    // Today's date for new visits; the system date unless a test fixes one.
    QDate today() const { return m_today.isValid() ? m_today : QDate::currentDate(); }
    void setToday(const QDate& date) { m_today = date; }

    // The result charts of the chosen patient (context menu of both lists), on the
    // chosen date when one is: asked of the main window, which opens them.
    void showCharts();
    // What the card window prints after the card; none: the card alone.
    void setChartPage(frmcardclient::ChartPage page) { m_chartPage = std::move(page); }

    // The patient line selected when the new-patient window opened (-1 for none).
    int iList = -1;

    QLabel* Label1 = nullptr; // "Пациент"
    QLabel* Label2 = nullptr; // "Год рождения"
    QLabel* Label3 = nullptr; // "Дата"
    QLabel* lblname = nullptr;
    QLabel* lblyear = nullptr;
    QListView* lstname = nullptr;
    QListWidget* lstdate = nullptr;
    QPushButton* cmdnew = nullptr;
    QPushButton* cmdredact = nullptr;
    QPushButton* cmddelcard = nullptr;
    QPushButton* cmdadddate = nullptr;
    QPushButton* cmddeldate = nullptr;
    QPushButton* cmdexit = nullptr;

  signals:
    // The charts of the patient at line `patient` of the store's list, on card visit
    // `visit` (-1: none chosen), to be opened over this window.
    void chartsWanted(int patient, int visit);

  protected:
    // The close box and Esc leave as "Выход" does.
    void reject() override;
    // Enter on a visit date opens its card.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void build();
    // After a patient was made: the list as the index now stands, the new patient chosen.
    void showNewPatient();
    void connectHandlers();
    void buildFilter();
    // Shows the names holding `part`; the chosen patient stays chosen while hidden.
    void filterNames(const QString& part);
    // Shows a store failure; a list out of date is read again when the window next opens.
    bool failed(const patients::Error& e);
    // After a visit operation found the card changed: the chosen patient as it now is.
    void rereadPatient();
    void showVisits(const patients::Error& e, const patients::PatientView& view);
    void syncNames(int keepRow);
    void showView(const patients::PatientView& view);
    void tellLeftOvers();
    // A card whose last visit is cut short is told once a run.
    void tellCut(const patients::PatientView& view);
    void clearPatient();
    void selectSilently(int row);
    bool havePatient();
    session::Choice choiceOf(int visit) const;

    session::Session& m_session;
    patients::Store& m_store;
    frmcardclient::ChartPage m_chartPage;
    patients::NameListModel* m_names = nullptr;
    NameFilterLine* m_find = nullptr;
    // The patient shown in the labels and the date list, with its visits as read.
    patients::PatientView m_view;
    // Cards whose cut last visit was told about, once each in a run.
    QSet<QString> m_toldCut;
    bool m_lookedForLeftOvers = false;
    int m_chosen = -1;
    bool m_stale = true;
    bool m_silent = false;
    QDate m_today;
};
