#include "patients/frmclient.h"

#include "common/colours.h"
#include "common/form.h"
#include "common/messages.h"
#include "common/widgets.h"
#include "patients/frmcardclient.h"
#include "patients/frmclientnew.h"
#include "patients/namefilter.h"
#include "patients/namefilterline.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTimer>

using form::make;
using form::tw;

namespace {

// A deletion's question names what goes, under the question itself.
QString naming(const QString& question, const QStringList& what) {
    return question + QStringLiteral("\n\n") + what.join(u'\n');
}

} // namespace

frmclient::frmclient(session::Session& session, patients::Store& store, QWidget* parent)
    : QDialog(parent), m_session(session), m_store(store) {
    // The index is read when the window first opens (m_stale), so a failure is told once.
    build();
}

void frmclient::build() {
    setObjectName("frmclient");
    const QString place = m_store.place();
    setWindowTitle(QStringLiteral("Карты пациентов") +
                   (place.isEmpty() ? QString() : QStringLiteral(" — ") + place));
    setFixedSize(form::px(6885), form::px(5220));
    useFormFont(this);

    Label1 = make<QLabel>(this, "Label1", QStringLiteral("Пациент"), tw(2160, 120, 885, 240));
    lblname = make<QLabel>(this, "lblname", tw(120, 480, 5055, 375));
    lstname = make<QListView>(this, "lstname", tw(120, 960, 3855, 4140));
    Label2 = make<QLabel>(this, "Label2", QStringLiteral("Год рождения"), tw(4080, 960, 1095, 255));
    lblyear = make<QLabel>(this, "lblyear", tw(4080, 1200, 1095, 255));
    Label3 = make<QLabel>(this, "Label3", QStringLiteral("Дата"), tw(4365, 1680, 405, 195));
    lstdate = make<QListWidget>(this, "lstdate", tw(4080, 1920, 1095, 3180));
    for (QLabel* l : {lblname, lblyear})
        setBackColour(l, colours::kHighlightText);

    cmdnew = make<QPushButton>(this, "cmdnew", QStringLiteral("Завести новую"), tw(5400, 480, 1335, 375));
    cmdredact =
        make<QPushButton>(this, "cmdredact", QStringLiteral("Редактировать"), tw(5400, 1080, 1335, 375));
    cmddelcard =
        make<QPushButton>(this, "cmddelcard", QStringLiteral("Удалить карту"), tw(5400, 1680, 1335, 375));
    cmdadddate =
        make<QPushButton>(this, "cmdadddate", QStringLiteral("Добавить дату"), tw(5400, 2280, 1335, 375));
    cmddeldate =
        make<QPushButton>(this, "cmddeldate", QStringLiteral("Удалить дату"), tw(5400, 2880, 1335, 375));
    cmdexit = make<QPushButton>(this, "cmdexit", QStringLiteral("Выход"), tw(5400, 4440, 1335, 375));
    for (QPushButton* b : {cmdnew, cmdredact, cmddelcard, cmdadddate, cmddeldate, cmdexit})
        b->setAutoDefault(false);
    lblname->setAccessibleName(QStringLiteral("Выбранный пациент"));
    lblyear->setAccessibleName(QStringLiteral("Год рождения выбранного пациента"));
    lstname->setAccessibleName(QStringLiteral("Список пациентов"));
    lstdate->setAccessibleName(QStringLiteral("Даты посещений"));

    // Ten thousand patients: a view over the names, every line one height, so only the
    // lines on screen are measured.
    m_names = new patients::NameListModel(this);
    lstname->setModel(m_names);
    lstname->setUniformItemSizes(true);
    lstname->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstname->setSelectionMode(QAbstractItemView::SingleSelection);
    lstdate->setUniformItemSizes(true);
    widenToFit(this);
    // The charts are reached without a button, so the window keeps its layout.
    for (QAbstractItemView* v :
         {static_cast<QAbstractItemView*>(lstname), static_cast<QAbstractItemView*>(lstdate)}) {
        auto* charts = new QAction(QStringLiteral("Графики результатов"), v);
        connect(charts, &QAction::triggered, this, &frmclient::showCharts);
        v->addAction(charts);
        v->setContextMenuPolicy(Qt::ActionsContextMenu);
    }
    buildFilter();
    connectHandlers();
}

void frmclient::buildFilter() {
    m_find = new NameFilterLine(lstname, this);
    connect(m_find, &NameFilterLine::filterChanged, this, &frmclient::filterNames);
    lstdate->installEventFilter(this);
    connect(lstdate, &QListWidget::itemDoubleClicked, this, &frmclient::cmdredact_Click);
}

bool frmclient::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lstdate && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            cmdredact_Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmclient::filterNames(const QString& part) {
    const QScopedValueRollback<bool> quiet(m_silent, true);
    m_names->setFilter(part);
    selectSilently(m_names->shownRow(m_chosen) >= 0 ? m_chosen : -1);
    // Read out after the name of the line, so that a found nothing is heard too.
    m_find->setAccessibleDescription(QStringLiteral("Найдено: %1").arg(m_names->rowCount()));
}

void frmclient::connectHandlers() {
    connect(lstname->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!m_silent)
            lstname_Click();
    });
    connect(cmdnew, &QPushButton::clicked, this, &frmclient::cmdnew_Click);
    connect(cmdredact, &QPushButton::clicked, this, &frmclient::cmdredact_Click);
    connect(cmddelcard, &QPushButton::clicked, this, &frmclient::cmddelcard_Click);
    connect(cmdadddate, &QPushButton::clicked, this, &frmclient::cmdadddate_Click);
    connect(cmddeldate, &QPushButton::clicked, this, &frmclient::cmddeldate_Click);
    connect(cmdexit, &QPushButton::clicked, this, &frmclient::cmdexit_Click);
}

int frmclient::execList() {
    // The chosen patient as the files now hold it: another workstation may have changed it.
    if (!m_stale)
        rereadPatient();
    if (m_stale)
        Form_Load();
    return exec();
}

void frmclient::Form_Load() {
    clearPatient();
    const patients::Error e = m_store.load();
    m_stale = bool(e);
    syncNames(-1);
    // After the list is on screen: listing a folder of ten thousand cards takes longer than
    // reading the index.
    if (!failed(e))
        QTimer::singleShot(0, this, &frmclient::tellLeftOvers);
    lstname_Click();
}

bool frmclient::failed(const patients::Error& e) {
    if (!e)
        return false;
    if (e.fault == patients::Fault::Changed)
        m_stale = true;
    msgbox::info(this, e.message);
    return true;
}

// The list mirrors the store's index, which every operation may have read afresh.
void frmclient::syncNames(int keepRow) {
    const auto& records = m_store.list();
    const QStringList& shown = m_names->names();
    bool same = shown.size() == records.size();
    for (qsizetype k = 0; same && k < shown.size(); ++k)
        same = shown[k] == records[k].nameView();
    if (!same) {
        QStringList names;
        names.reserve(records.size());
        for (const auto& r : records)
            names << r.name();
        const QScopedValueRollback<bool> quiet(m_silent, true);
        m_names->setNames(names);
    }
    selectSilently(keepRow < records.size() ? keepRow : -1);
}

void frmclient::selectSilently(int row) {
    const QScopedValueRollback<bool> quiet(m_silent, true);
    // A patient chosen by the program is shown, whatever was typed into the find line.
    if (row >= 0 && row < m_names->names().size() && m_names->shownRow(row) < 0)
        m_find->dismiss();
    const int shown = m_names->shownRow(row);
    if (shown < 0) {
        lstname->selectionModel()->clear();
    } else {
        const QModelIndex at = m_names->index(shown);
        lstname->selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect);
        lstname->scrollTo(at);
    }
}

int frmclient::selectedPatient() const {
    const QModelIndexList rows = lstname->selectionModel()->selectedRows();
    if (!rows.isEmpty())
        return m_names->indexRow(rows.first().row());
    // Hidden by the find line, the chosen patient stays chosen: the labels still name it.
    return m_names->filter().active() && m_names->shownRow(m_chosen) < 0 ? m_chosen : -1;
}

int frmclient::selectedDate() const {
    const auto items = lstdate->selectedItems();
    return items.isEmpty() ? -1 : lstdate->row(items.first());
}

void frmclient::selectPatient(int row) {
    selectSilently(row);
    lstname_Click();
}

void frmclient::showView(const patients::PatientView& view) {
    m_view = view;
    showValue(lblname, view.record.name());
    showValue(lblyear, view.record.year());
    lstdate->clear();
    lstdate->addItems(view.record.dateLines());
}

void frmclient::clearPatient() {
    m_view = patients::PatientView();
    m_chosen = -1;
    showValue(lblname, QString());
    showValue(lblyear, QString());
    lstdate->clear();
}

session::Choice frmclient::choiceOf(int visit) const {
    const patients::IndexRecord& r = m_view.record;
    session::Choice c{r.name(), r.year(), r.cardFile(), -1, QString(), QByteArray()};
    if (visit >= 0 && visit < m_view.visits.size()) {
        const patients::VisitRef& v = m_view.visits[visit];
        c.visit = visit;
        c.visitDate = v.date;
        c.token = v.token;
    }
    return c;
}

bool frmclient::havePatient() {
    if (selectedPatient() >= 0 && selectedPatient() == m_chosen)
        return true;
    msgbox::info(this, patients::kNoPatient);
    return false;
}

void frmclient::lstname_Click() {
    const int row = selectedPatient();
    if (row < 0)
        return;
    patients::PatientView view;
    const patients::Error e = m_store.choose(row, &view);
    if (e) {
        // The lines and labels go on showing the patient chosen before.
        selectSilently(m_chosen);
        failed(e);
        return;
    }
    syncNames(row);
    m_chosen = row;
    iList = row;
    showView(view);
    m_session.setChoice(choiceOf(-1));
    tellCut(view);
}

void frmclient::cmdnew_Click() {
    iList = selectedPatient();
    frmclientnew window(m_store, today(), this);
    followNewPatient(window);
    window.exec();
}

void frmclient::followNewPatient(const frmclientnew& window) {
    connect(&window, &QDialog::finished, this, [this](int outcome) {
        if (outcome == frmclientnew::Created)
            showNewPatient();
        else
            selectPatient(outcome == frmclientnew::LeftEmpty ? 0 : iList);
    });
}

void frmclient::cmdredact_Click() {
    if (!havePatient())
        return;
    const int visit = selectedDate();
    // Without a date the card would gain a record without one.
    if (visit < 0 || visit >= m_view.visits.size()) {
        msgbox::info(this, patients::kNoVisit);
        return;
    }
    iList = selectedPatient();
    // The card window opens on the visit the session names.
    m_session.setChoice(choiceOf(visit));
    frmcardclient::showCard(m_store, m_session, this, m_chartPage);
    // A save there changed the visit's token, or found the card changed elsewhere.
    rereadPatient();
}

void frmclient::cmddelcard_Click() {
    if (!havePatient())
        return;
    if (msgbox::question(
            this,
            naming(QStringLiteral("Вы действительно хотите удалить карту?"),
                   {QStringLiteral("Пациент: %1, %2").arg(m_view.record.name(), m_view.record.year())}),
            QStringLiteral("Удаление карты"), true) != msgbox::Answer::Yes)
        return;
    const qsizetype before = m_store.list().size();
    const patients::Error e = m_store.deletePatient(m_view.ref);
    // The record may be gone even when its card file could not be deleted.
    if (m_store.list().size() < before) {
        clearPatient();
        syncNames(-1);
        m_session.setChoice(session::Choice());
    }
    failed(e);
}

void frmclient::cmdadddate_Click() {
    if (!havePatient())
        return;
    // A second click of a quick double click would make a second visit of the day.
    const QString date = patients::dateText(today());
    if (m_view.record.dateLines().contains(date) &&
        msgbox::question(this, QStringLiteral("Посещение с датой %1 уже есть. Добавить ещё одно?").arg(date),
                         QStringLiteral("Добавление даты"), true) != msgbox::Answer::Yes)
        return;
    patients::PatientView view;
    showVisits(m_store.addVisit(m_view.ref, today(), &view), view);
}

void frmclient::cmddeldate_Click() {
    if (!havePatient())
        return;
    const int visit = selectedDate();
    // The empty last line is no visit either.
    if (lstdate->count() == 2 || visit < 0 || visit >= m_view.visits.size()) {
        msgbox::info(this, patients::kOnlyVisit);
        return;
    }
    if (msgbox::question(this,
                         naming(QStringLiteral("Вы действительно хотите удалить дату посещения?"),
                                {QStringLiteral("Дата: %1").arg(m_view.visits.at(visit).date),
                                 QStringLiteral("Пациент: %1").arg(m_view.record.name())}),
                         QStringLiteral("Удаление даты посещения"), true) != msgbox::Answer::Yes)
        return;
    patients::PatientView view;
    showVisits(m_store.deleteVisit(m_view.visits[visit], &view), view);
}

void frmclient::cmdexit_Click() {
    // The list opens again whole, on the patient chosen.
    m_find->dismiss();
    const int row = selectedPatient();
    if (row < 0 || row != m_chosen) {
        m_session.setChoice(session::Choice());
    } else {
        const session::Choice c = choiceOf(selectedDate());
        m_session.setChoice(c);
        session::ResultsMatrix results;
        // No date line, or the empty last one: the results stay as they are.
        if (c.hasVisit()) {
            if (!failed(m_store.loadResults(patients::visitRef(c), &results)))
                m_session.loadVisit(c, results);
            else
                rereadPatient();
        }
    }
    QDialog::accept();
}

void frmclient::reject() {
    cmdexit_Click();
}

void frmclient::showNewPatient() {
    syncNames(0);
    selectPatient(0);
}

void frmclient::showCharts() {
    if (!havePatient())
        return;
    int visit = selectedDate();
    if (visit >= lstdate->count() - 1) // the empty last line is no visit
        visit = -1;
    emit chartsWanted(selectedPatient(), visit);
}
