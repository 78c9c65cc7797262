#pragma once
// The whole-file operations on the patient index and the card files. A change names what
// its window read, a patient or a visit with a token of it, and is made only while the
// files still hold exactly that; otherwise it answers Fault::Changed and writes nothing.
// Changes hold the data folder's lock and write whole files atomically, the card before the
// index; reading needs no lock, so a read-only folder can be viewed. A failure leaves the
// files as they were and comes back as an Error naming the file.
#include "common/workfolder.h"
#include "patients/store.h"

#include <functional>

namespace patients {

class PatientStore : public Store {
  public:
    explicit PatientStore(const WorkFolder& folder) : m_folder(folder) {}

    // Reads the index, creating the folder and the index "0" CR LF "*" when it is missing.
    // An index that exists but cannot be read is left alone.
    Error load() override;
    // The index as last read or written; patient positions refer to it.
    const Index& index() const { return m_index; }
    const QList<IndexRecord>& list() const override { return m_index.records; }
    QString place() const override { return {}; }

    // Reads the index and the card afresh and gives the patient at line `patient` of the
    // list. A visit added or deleted when the program was stopped half-way is finished when
    // the lock can be had, and shown finished when it cannot.
    Error choose(int patient, PatientView* view) override;
    // The new patient goes on top (position 0) with one blank visit dated `today`.
    Error createPatient(const QString& surname, const QString& given, const QString& year,
                        const QDate& today) override;
    // Removes the record, then its card file; the index file goes with the last patient.
    Error deletePatient(const PatientRef& patient) override;
    // A blank visit dated `today` in front; `view` becomes the patient as it now is.
    Error addVisit(const PatientRef& patient, const QDate& today, PatientView* view) override;
    Error deleteVisit(const VisitRef& visit, PatientView* view) override;

    Error readVisit(const VisitRef& visit, VisitTexts* texts) override;
    // `now` becomes the visit as written, for the next change to it.
    Error saveVisitTexts(const VisitRef& visit, const VisitTexts& texts, VisitRef* now) override;
    // Rows 21..24 from cell 0, empty for a short record.
    Error loadResults(const VisitRef& visit, session::ResultsMatrix* results) override;
    // Only the cells that differ from the visit's stored results are checked and rewritten.
    Error saveResults(const VisitRef& visit, const session::ResultsMatrix& results, VisitRef* now) override;

    // Card files of the folder that no record of the index names, but for blank ones past
    // the counter that a stopped "Завести карту" left (the next new patient takes them).
    QStringList leftOverCards() const;
    QString leftOverNote() const override;
    // The card as the list read its record; a card whose dates are not the record's is refused.
    Error readVisits(const QString& cardFile, VisitRecords* visits) override;

    QString indexPath() const { return m_folder.path(kIndexFile); }
    QString cardPath(const QString& cardFile) const { return m_folder.path(kFolder + u'\\' + cardFile); }
    // The name as it is: a card not yet made has no other spelling to look for, and looking
    // would list a folder of ten thousand cards on every new patient.
    QString newCardPath(const QString& cardFile) const { return m_folder.path(kFolder) + u'/' + cardFile; }

  private:
    // One patient as the files hold it now.
    struct Now {
        Index index;
        int patient = -1;
        QString cardPath;
        QByteArray cardBytes; // as read, to put back when the index cannot follow
        bool cardMissing = false;
        Card card;
        QStringList dates; // the card's
        Agreement agreement = Agreement::Same;
        const IndexRecord& record() const { return index.records.at(patient); }
    };
    Error readFile(const QString& path, QByteArray* bytes, bool* missing = nullptr) const;
    Error writeFile(const QString& path, const QByteArray& bytes) const;
    Error removeFile(const QString& path, bool* missing) const;
    // NotIndex for bytes without a "*"; Changed for an index that is gone.
    Error readIndexBytes(QByteArray* bytes) const;
    Error readIndex(Index* index) const;
    Error samePatient(int patient, const IndexRecord* now) const;
    Error readCardNow(Now* now, bool needed) const;
    // The patient whose record names `cardFile`, with its card.
    Error readNow(const QString& cardFile, bool cardNeeded, Now* now) const;
    // Under the lock: an interrupted add or delete finished, the index given the card's dates.
    Error finish(Now* now);
    void tryFinish(Now* now);
    // Under the lock: the visit as `visit` read it, or Changed.
    Error visitNow(const VisitRef& visit, bool finishing, Now* now);
    // Under the lock: the patient as `patient` read it, an interrupted change finished.
    Error patientNow(const PatientRef& patient, bool cardNeeded, Now* now);
    // Under the lock: the visit's record changed by `change`, the card written.
    Error rewriteVisit(const VisitRef& visit, const std::function<Error(QString*)>& change, VisitRef* now);
    Error writeCardAndIndex(const Now& now, const Card& card, const Index& index);
    // The card and the index of `after`, the patient's dates given its card's.
    Error writeVisits(const Now& before, Now after, PatientView* view);
    Error writeIndex(const Index& index);
    Error numberForNewCard(const Index& index, int* number) const;
    // `bytes`: the card as already read, else it is read here.
    bool isBlankLeftOver(const QString& cardFile, const Index& index,
                         const QByteArray* bytes = nullptr) const;
    PatientView viewOf(const Now& now) const;
    // Runs a read-change-write holding the data folder's lock; Fault::Locked when another
    // workstation holds it.
    Error underLock(const std::function<Error()>& op);

    WorkFolder m_folder;
    Index m_index;
};

} // namespace patients
