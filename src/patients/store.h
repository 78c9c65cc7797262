#pragma once
// What the patient windows, the main window's save and the charts do with the patient
// records, whoever keeps them: the legacy folder (PatientStore) or the clinic's database
// server. A change names the patient or visit its window read, by a token of what was read
// (a hash of the files, a row version), and is refused with Fault::Changed, nothing written,
// when that changed meanwhile. Tokens are opaque to everyone but the store that gave them.
#include "common/session.h"
#include "patients/patientcheck.h"
#include "patients/patientfiles.h"

#include <QDate>
#include <QList>
#include <QStringList>

namespace patients {

// A patient as the list read it: its line, its card file and a token of what was read.
struct PatientRef {
    int position = -1;
    QString cardFile;
    QByteArray token;
};

// A visit as a window read it: its patient's card, its line among the dates, its date, and
// a token of it. Two visits may share a date, and lines move when a visit is added or
// deleted: only the token tells them apart.
struct VisitRef {
    QString cardFile;
    int position = -1;
    QString date;
    QByteArray token;
    bool operator==(const VisitRef&) const = default;
};
VisitRef visitRef(const session::Choice& choice);

// A chosen patient: its record (name, year, dates newest first, card file) and a reference
// per date. The references carry no token when the visits cannot be shown as listed.
struct PatientView {
    PatientRef ref;
    IndexRecord record;
    QList<VisitRef> visits;
    // The last visit was cut short by an older program: shown, never changed.
    bool cut = false;
};

struct VisitTexts {
    QString complaints{};
    QString diagnosis{};
    QString prescription{};
};

// A patient's visits for the charts, newest first: each one's date and its record in the
// card format, results included.
struct VisitRecords {
    QStringList dates;
    QStringList records;
};

class Store {
  public:
    virtual ~Store() = default;

    // Where the cards go, for the windows to say: empty for the legacy folder beside the
    // program, whose practitioner never chose one; the server and database otherwise.
    virtual QString place() const = 0;

    // Reads the list of patients afresh (the folder makes an empty index where none is).
    virtual Error load() = 0;
    // The patients as last read or changed here, newest first: a patient's position is its
    // line. Names, years and card files; the dates as far as the list holds them (the
    // folder's index does, the database's list does not: choose() gives them).
    virtual const QList<IndexRecord>& list() const = 0;

    // The patient at line `patient` as stored now, with a reference per visit.
    virtual Error choose(int patient, PatientView* view) = 0;
    // Trimmed names, the year as typed; on top of the list (line 0) with one blank visit.
    virtual Error createPatient(const QString& surname, const QString& given, const QString& year,
                                const QDate& today) = 0;
    // The patient leaves the list on success.
    virtual Error deletePatient(const PatientRef& patient) = 0;
    // A blank visit dated `today` in front; `view` becomes the patient as it now is.
    virtual Error addVisit(const PatientRef& patient, const QDate& today, PatientView* view) = 0;
    // Refused (Fault::OnlyVisit) for the patient's only visit.
    virtual Error deleteVisit(const VisitRef& visit, PatientView* view) = 0;

    virtual Error readVisit(const VisitRef& visit, VisitTexts* texts) = 0;
    // Texts trimmed of blanks. `now` becomes the visit as written, for the next change to it.
    virtual Error saveVisitTexts(const VisitRef& visit, const VisitTexts& texts, VisitRef* now) = 0;
    // Rows 21..24 from cell 0, empty for a short record.
    virtual Error loadResults(const VisitRef& visit, session::ResultsMatrix* results) = 0;
    virtual Error saveResults(const VisitRef& visit, const session::ResultsMatrix& results,
                              VisitRef* now) = 0;

    // Every visit of the patient whose card file is `cardFile`, for the charts.
    virtual Error readVisits(const QString& cardFile, VisitRecords* visits) = 0;

    // What the practitioner should hear once about records beyond the list (cards that no
    // patient names); empty when there is nothing to tell.
    virtual QString leftOverNote() const { return {}; }
};

} // namespace patients
