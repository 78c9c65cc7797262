// The main window's side of the patient records: the patient list, the caption naming the
// chosen patient, saving the results into the chosen visit, and leaving with unsaved ones.
#include "charts/chartrender.h"
#include "common/messages.h"
#include "measurement/frmmain.h"
#include "patients/frmclient.h"
#include "patients/patientcheck.h"
#include "patients/patientstore.h"

#include <QCloseEvent>
#include <QPushButton>

namespace {

const QString kCaption = QStringLiteral("Диагностика по Тавену");

} // namespace

void frmmain::useStore(std::unique_ptr<patients::Store> store) {
    Q_ASSERT(!m_client);
    m_store = std::move(store);
}

void frmmain::connectPatients() {
    m_store = std::make_unique<patients::PatientStore>(m_folder);
    connect(cmdclient, &QPushButton::clicked, this, &frmmain::cmdclient_Click);
    connect(cmdsave, &QPushButton::clicked, this, &frmmain::cmdsave_Click);
    connect(&m_session, &session::Session::choiceChanged, this, &frmmain::showPatientCaption);
    // A loaded visit is laid out again through the meridian change, as a new meridian is.
    connect(&m_session, &session::Session::visitLoaded, this, &frmmain::cbomeridian_Click);
}

void frmmain::showPatientCaption() {
    const session::Choice& c = m_session.choice();
    setWindowTitle(c.hasPatient() ? kCaption + QStringLiteral("   (") + c.name + u')' : kCaption);
}

void frmmain::cmdclient_Click() {
    // Made and read once; "Выход" only hides it, so its choice lasts the run.
    if (!m_client) {
        m_client = new frmclient(m_session, *m_store, this);
        m_client->setChartPage(charts::resultsPage);
        connect(m_client, &frmclient::chartsWanted, this, &frmmain::openListCharts);
    }
    m_client->execList();
}

void frmmain::cmdsave_Click() {
    const session::Choice& chosen = m_session.choice();
    // A visit of another patient, or none, is refused before anything is asked.
    if (const patients::Error e = patients::checkSaveTarget(chosen, m_session.loadedVisit())) {
        msgbox::info(this, e.message);
        return;
    }
    if (msgbox::question(this, QStringLiteral("Вы хотите сохранить данные в карту"),
                         QStringLiteral("Сохранение измерений"), false) != msgbox::Answer::Yes)
        return;
    const patients::VisitRef visit = patients::visitRef(m_session.loadedVisit());
    patients::VisitRef now;
    if (const patients::Error e = m_store->saveResults(visit, m_session.strRezult, &now)) {
        msgbox::info(this, e.message);
        return;
    }
    m_session.visitRewritten(visit.cardFile, visit.position, visit.token, now.token);
    m_session.markSaved();
}

bool frmmain::mayLeave() {
    if (!m_session.unsaved())
        return true;
    return msgbox::question(this,
                            QStringLiteral("Результаты измерений не сохранены в карту. Выйти из программы?"),
                            kCaption, true) == msgbox::Answer::Yes;
}
