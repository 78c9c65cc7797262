#include "medications/prescription.h"

#include "catalogue/catalogue.h"
#include "common/session.h"
#include "medications/medicamdb.h"

namespace medicam {

QStringList testingList(const Database& db, int m, int clickedRow, bool byKti) {
    if (m < 0 || m >= catalogue::kMeridianCount)
        return {};
    return db.medicationsOfRow(m, byKti ? catalogue::ktiRow(m) : clickedRow);
}

QString prescriptionRefusal(bool medicationSelected, const session::Choice& choice) {
    if (!medicationSelected)
        return kNoMedication;
    if (!choice.hasPatient())
        return kNoPatient;
    return {};
}

QString addToPrescription(session::Session& session, const QStringList& list, int selectedRow) {
    const bool selected = selectedRow >= 0 && selectedRow < list.size();
    const QString refusal = prescriptionRefusal(selected, session.choice());
    if (refusal.isEmpty())
        session.addToPrescription(list[selectedRow]);
    return refusal;
}

} // namespace medicam
