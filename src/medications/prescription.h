#pragma once
// Medication testing in the main window: the list of the selected point and the button
// "Добавить в рецепт" that adds its chosen entry to the pending prescription.
#include <QString>
#include <QStringList>

namespace session {
class Session;
struct Choice;
} // namespace session

namespace medicam {

class Database;

inline const QString kNoPatient = QStringLiteral("Пациент не выбран");

// The medications listed for a clicked row of meridian m; with "по КТИ" the meridian's
// control point is meant whatever row was clicked. The side plays no part. Empty for a
// text that is no meridian or a row the meridian does not have.
QStringList testingList(const Database& db, int m, int clickedRow, bool byKti);

// Why "Добавить в рецепт" must refuse ("Препарат не выбран", "Пациент не выбран"), or an
// empty string when it may go ahead.
QString prescriptionRefusal(bool medicationSelected, const session::Choice& choice);

// Appends entry `selectedRow` of `list` (-1: none selected) to the pending prescription
// when allowed; returns the refusal, empty on success.
QString addToPrescription(session::Session& session, const QStringList& list, int selectedRow);

} // namespace medicam
