// What the patient list tells of the files beyond its lines: cards left without a patient,
// a card cut short by an older program, and the chosen patient read again after a change
// found the files changed.
#include "common/messages.h"
#include "patients/frmclient.h"

#include <QListWidget>

// Once a run: cards a stopped deletion (or a lost record) left in the folder are told, not
// deleted, so the practitioner can see to them.
void frmclient::tellLeftOvers() {
    if (m_lookedForLeftOvers)
        return;
    m_lookedForLeftOvers = true;
    const QString note = m_store.leftOverNote();
    if (!note.isEmpty())
        msgbox::info(this, note);
}

void frmclient::tellCut(const patients::PatientView& view) {
    if (!view.cut || m_toldCut.contains(view.ref.cardFile))
        return;
    m_toldCut.insert(view.ref.cardFile);
    msgbox::info(this, QStringLiteral("Последнее посещение в карте \"%1\" записано не полностью "
                                      "(программа была прервана при записи). Карта показана как есть; "
                                      "это посещение можно только просмотреть")
                           .arg(view.ref.cardFile));
}

// The date line stays chosen only while it still means the same visit.
void frmclient::rereadPatient() {
    const int row = selectedPatient();
    if (row < 0 || row != m_chosen)
        return;
    patients::PatientView view;
    if (m_store.choose(row, &view)) {
        m_stale = true;
        return;
    }
    // The index was read afresh with the patient.
    m_stale = false;
    const int date = selectedDate();
    const QStringList shown = m_view.record.dateLines();
    syncNames(row);
    showView(view);
    lstdate->setCurrentRow(view.record.dateLines() == shown ? date : -1);
}

// After a visit was added or deleted: its dates with the first line chosen, or, when the
// card was found changed, the patient as it now is.
void frmclient::showVisits(const patients::Error& e, const patients::PatientView& view) {
    syncNames(selectedPatient());
    if (failed(e))
        return rereadPatient();
    showView(view);
    lstdate->setCurrentRow(0);
}
