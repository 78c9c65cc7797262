#pragma once
// What may go into the patient files, and what a save may write to. Each check gives the
// message the window shows, or an empty text when all is well.
#include "common/session.h"
#include "patients/patientfiles.h"

#include <QString>

namespace patients {

enum class Fault {
    None,
    NoPatient,   // "Пациент не выбран"
    NoVisit,     // no visit of the chosen patient is chosen or loaded
    OnlyVisit,   // the date to delete is not chosen or is the only one
    BadText,     // a separator or a character the code page cannot hold
    BadCardName, // index field 3 that is not "c N.dat"
    BadCounter,  // the counter line is no number, or is at 32767
    NotIndex,    // a file that cannot be read as the index
    Changed,     // the files no longer hold what the window shows
    Mismatch,    // the card's dates disagree with the index beyond an interrupted change
    Cut,         // the visit is the card's last, cut short: it is shown, never changed
    Damaged,     // a visit record of more fields than the format has
    Unfinished,  // the change is made, but a file it leaves behind is still to be mended
    ReadFailed,
    WriteFailed,
    DeleteFailed,
    Locked, // another workstation holds the data folder's lock, or a row a while too long
    Lost,   // no connection to the database server: nothing written; the next action reconnects
};

struct Error {
    Fault fault = Fault::None;
    QString message;
    explicit operator bool() const { return fault != Fault::None; }
};

inline const QString kNoPatient = QStringLiteral("Пациент не выбран");
inline const QString kNoVisit = QStringLiteral("Дата посещения не выбрана");
inline const QString kOnlyVisit = QStringLiteral("Дата не выбрана или она единственная");

// A name or year for the index: no "*", "|", line break or character outside Windows-1251.
Error checkIndexText(const QString& text, const QString& what);
// A card text: no ">", "@" or character outside Windows-1251; says the line and column.
Error checkCardText(const QString& text, const QString& what);
// Where checkCardText stops in a text: the first separator, else the first character the code
// page cannot hold; -1 when there is none.
qsizetype firstCardRefusal(const QString& text);
// The result cells that differ from `asRead`: none may hold a separator of the card.
Error checkResults(const session::ResultsMatrix& results,
                   const session::ResultsMatrix& asRead = session::ResultsMatrix());
// "Сохранить" writes only into the chosen visit, and only when its results are the ones
// held: a visit of an earlier patient, or none, must not be written into this card.
Error checkSaveTarget(const session::Choice& chosen, const session::Choice& loaded);

} // namespace patients
