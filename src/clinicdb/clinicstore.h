#pragma once
// The patient records on the clinic's database server: what the patient windows do with
// the legacy folder, with the same meaning, each change one transaction. Every row carries
// a version; a change names the version it read and is refused, with nothing written, when
// the row changed meanwhile, so no change is lost or lands in another visit.
#include "clinicdb/connection.h"
#include "common/session.h"

#include <QDate>
#include <QList>
#include <QStringList>

namespace clinicdb {

struct Patient {
    qint64 id = 0;
    qint64 card = 0; // the legacy card file's number, not limited to 32,767
    QString name;
    QString year;
    qint64 version = 0;
};

struct Visit {
    qint64 id = 0;
    QString date;
    qint64 version = 0;
    bool complete = true; // false: a legacy card's last record without its "@"
};

struct VisitTexts {
    QString complaints;
    QString diagnosis;
    QString prescription;
};

// Fault::Changed for a patient (by its name, if known) or a visit (by its date) that changed
// or went since it was read.
Error patientChanged(const QString& name);
Error visitChanged(const QString& date);

class ClinicStore {
  public:
    explicit ClinicStore(const ConnParams& params, const Limits& limits = {})
        : m_connection(params, limits) {}

    // Connects and creates or upgrades the schema.
    Error open();

    // Newest first.
    Error listPatients(QList<Patient>* patients);
    // The same as the legacy index's records (no dates).
    Error listIndex(const std::function<void(const QString& record)>& each);
    // The patient as stored now, with its visits newest first.
    Error choose(qint64 card, Patient* read, QList<Visit>* visits);
    // Surname and given names trimmed of blanks, the year as typed; one blank visit dated
    // `today`. The card number is the next after the last one given.
    Error createPatient(const QString& surname, const QString& given, const QString& year, const QDate& today,
                        Patient* made = nullptr);
    Error deletePatient(const Patient& read);
    // On success `read` holds the patient's new version.
    Error addVisit(Patient* read, const QDate& today, Visit* made = nullptr);
    // Refused for the patient's only visit.
    Error deleteVisit(const Visit& read);

    // Reads `visit->id`; the visit's date and version as read come back in `visit`.
    Error readVisitTexts(Visit* visit, VisitTexts* texts);
    // Texts trimmed of blanks. On success `visit` holds the new version.
    Error saveVisitTexts(Visit* visit, const VisitTexts& texts);
    // Rows 21..24 from cell 0, as the card format gives them.
    Error loadResults(Visit* visit, session::ResultsMatrix* results);
    Error saveResults(Visit* visit, const session::ResultsMatrix& results);
    // Every visit of the patient with card number `card`, newest first: dates and records.
    Error visitRecords(qint64 card, QStringList* dates, QStringList* records);

    // Import, export and the data generator work on the tables themselves.
    Connection& connection() { return m_connection; }

  private:
    Error readVisit(Visit* visit, QString* record);
    Error changeVisit(Visit* visit, const std::function<QString(const QString&)>& change);

    Connection m_connection;
};

} // namespace clinicdb
