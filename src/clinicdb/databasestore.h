#pragma once
// The patient windows' store on the clinic's database server: ClinicStore behind the one
// store interface. A line of the list stands for a patient's card, a reference's token for
// the row versions it read, so a change made elsewhere meanwhile is refused as in the
// folder. The schema is made or brought up to date on the first action, and an action that
// finds the server gone says so; the next one connects anew.
#include "clinicdb/clinicstore.h"
#include "patients/store.h"

namespace clinicdb {

class DatabaseStore : public patients::Store {
  public:
    explicit DatabaseStore(const ConnParams& params, const Limits& limits = {});

    // "база данных "taven" на сервере db.clinic".
    QString place() const override;
    patients::Error load() override;
    const QList<patients::IndexRecord>& list() const override { return m_list; }
    patients::Error choose(int patient, patients::PatientView* view) override;
    patients::Error createPatient(const QString& surname, const QString& given, const QString& year,
                                  const QDate& today) override;
    patients::Error deletePatient(const patients::PatientRef& patient) override;
    patients::Error addVisit(const patients::PatientRef& patient, const QDate& today,
                             patients::PatientView* view) override;
    patients::Error deleteVisit(const patients::VisitRef& visit, patients::PatientView* view) override;
    patients::Error readVisit(const patients::VisitRef& visit, patients::VisitTexts* texts) override;
    patients::Error saveVisitTexts(const patients::VisitRef& visit, const patients::VisitTexts& texts,
                                   patients::VisitRef* now) override;
    patients::Error loadResults(const patients::VisitRef& visit, session::ResultsMatrix* results) override;
    patients::Error saveResults(const patients::VisitRef& visit, const session::ResultsMatrix& results,
                                patients::VisitRef* now) override;
    patients::Error readVisits(const QString& cardFile, patients::VisitRecords* visits) override;

    // Import, export and the tests work on the database itself.
    ClinicStore& clinic() { return m_db; }

  private:
    // What a visit's token holds: its patient, the row and its version as read.
    struct VisitRow {
        qint64 patient = 0;
        Visit visit;
    };
    patients::Error ready();
    patients::Error patientRow(const patients::PatientRef& ref, Patient* patient) const;
    patients::Error visitRow(const patients::VisitRef& ref, VisitRow* row) const;
    // The patient as stored now, at `position` of the list (-1: wherever it is).
    patients::Error viewOf(qint64 card, int position, patients::PatientView* view);
    // After a change of the patient's visits: the view, or that the change is made all the same.
    patients::Error viewAfter(qint64 card, int position, patients::PatientView* view);
    // Reads through `read` the visit `ref` names: refused when it changed since.
    patients::Error readChecked(const patients::VisitRef& ref, const std::function<Error(Visit*)>& read);
    // Changes through `change` the visit `ref` names; `now` names it as written.
    patients::Error changeVisit(const patients::VisitRef& ref, patients::VisitRef* now,
                                const std::function<Error(Visit*)>& change);
    int positionOf(qint64 card, int hint) const;

    ConnParams m_params;
    ClinicStore m_db;
    bool m_ready = false;
    QList<patients::IndexRecord> m_list;
    QList<qint64> m_cards; // per line of m_list: unique, never given twice
};

} // namespace clinicdb
