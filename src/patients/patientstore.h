#pragma once
// The whole-file operations on the patient index and the card files. Every change reads
// the files afresh, checks that they still hold the patient and visit the caller means,
// and writes whole files atomically, holding the data folder's lock throughout; a failure leaves the files as
// they were and comes back as an Error naming the file.
#include "common/session.h"
#include "common/workfolder.h"
#include "patients/patientcheck.h"
#include "patients/patientfiles.h"

#include <QDate>
#include <functional>

namespace patients {

struct VisitTexts {
    QString date;
    QString complaints;
    QString diagnosis;
    QString prescription;
};

class PatientStore {
  public:
    explicit PatientStore(const WorkFolder& folder) : m_folder(folder) {}

    // Reads the index, creating the folder and the index "0" CR LF "*" when it is missing.
    // An index that exists but cannot be read is left alone.
    Error load();
    // The index as last read or written; patient positions refer to it.
    const Index& index() const { return m_index; }

    // Reads the index afresh and gives the patient's record (dates for the date list),
    // finishing a visit added or deleted when the program was stopped half-way.
    Error choose(int patient, IndexRecord* record);
    // The new patient goes on top (position 0) with one blank visit dated `today`.
    Error createPatient(const QString& surname, const QString& given, const QString& year,
                        const QDate& today);
    // Removes the record, then its card file; the index file goes with the last patient.
    Error deletePatient(int patient);
    Error addVisit(int patient, const QDate& today);
    Error deleteVisit(int patient, int visit);

    Error readVisitTexts(int patient, int visit, VisitTexts* texts);
    // A non-empty texts.date must still be the visit's date.
    Error saveVisitTexts(int patient, int visit, const VisitTexts& texts);

    // The chosen visit's results: rows 21..24 from cell 0, empty for a short record.
    Error loadResults(const session::Choice& visit, session::ResultsMatrix* results);
    // Writes the matrix into the chosen visit, which must be the one loaded.
    Error saveResults(const session::Choice& chosen, const session::Choice& loaded,
                      const session::ResultsMatrix& results);

    // Tests: a write that fails, to see what a failure leaves behind.
    using Writer = std::function<bool(const QString& path, const QByteArray& bytes, QString* error)>;
    void setWriter(Writer writer) { m_writer = std::move(writer); }

    QString indexPath() const { return m_folder.path(kIndexFile); }
    QString cardPath(const QString& cardFile) const { return m_folder.path(kFolder + u'\\' + cardFile); }

  private:
    // NotIndex for bytes without a "*".
    Error readIndexBytes(QByteArray* bytes) const;
    Error readIndex(Index* index) const;
    Error freshIndexBytes(int patient, QByteArray* bytes) const;
    Error samePatient(int patient, const IndexRecord* now) const;
    Error freshRecord(int patient, Index* index) const;
    Error readCard(const IndexRecord& record, Card* card, QString* path) const;
    struct Fresh {
        Index index;
        Card card;
        QString cardPath;
    };
    using RecordCheck = std::function<Error(const IndexRecord&)>;
    static constexpr qsizetype kEveryDate = -1;
    Error freshCard(int patient, const RecordCheck& check, qsizetype visits, Fresh* fresh) const;
    static RecordCheck hasVisit(int visit);
    Error writeCardAndIndex(const Fresh& fresh, const QByteArray& oldCard);
    Error writeFile(const QString& path, const QByteArray& bytes) const;
    Error writeIndex(const Index& index);
    Error finishInterrupted(Index& index, int patient);
    Error findVisit(const session::Choice& visit, Card* card, QString* path) const;
    // The date of the visit as the window last saw it, or empty.
    QString shownDate(int patient, int visit) const;
    // Runs a read-change-write holding the data folder's lock; Fault::Locked when another
    // workstation holds it.
    Error underLock(const std::function<Error()>& op);

    WorkFolder m_folder;
    Index m_index;
    Writer m_writer;
};

} // namespace patients
