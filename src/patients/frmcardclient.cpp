#include "patients/frmcardclient.h"

#include "common/colourvalues.h"
#include "common/form.h"
#include "common/messages.h"
#include "common/session.h"
#include "common/widgets.h"
#include "patients/patientcheck.h"

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>

using form::make;
using form::tw;

namespace {

QPlainTextEdit* makeBox(QWidget* parent, const char* objectName, const QString& name, const QRect& r) {
    auto* box = make<QPlainTextEdit>(parent, objectName, r);
    box->setAccessibleName(name);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setTabChangesFocus(true);
    return box;
}

QString toBox(const QString& stored) {
    QString t = stored;
    return t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QString fromBox(const QString& shown) {
    QString t = shown;
    return t.replace(u'\n', QStringLiteral("\r\n"));
}

const QString kBoxNames[3] = {QStringLiteral("Жалобы"), QStringLiteral("Диагноз"), QStringLiteral("Рецепт")};

} // namespace

frmcardclient::frmcardclient(patients::Store& store, session::Session& session, QWidget* parent)
    : QDialog(parent), m_store(store), m_session(session) {
    buildForm();
    buildPrintMenu();
    Form_Load();
}

void frmcardclient::buildForm() {
    setObjectName("frmcardclient");
    setWindowTitle(QStringLiteral("Карта пациента"));
    setFixedSize(form::px(7605), form::px(5445));
    useFormFont(this);

    QList<QWidget*> captioned;
    captioned << make<QLabel>(this, "Label1", QStringLiteral("Фамилия, имя, отчество:"),
                              tw(120, 240, 2055, 255));
    lblname = make<QLabel>(this, "lblname", tw(2160, 240, 5175, 255));
    captioned << make<QLabel>(this, "Label2", QStringLiteral("Год рождения:"), tw(840, 600, 1215, 255));
    lblyear = make<QLabel>(this, "lblyear", tw(2160, 600, 615, 255));
    captioned << make<QLabel>(this, "Label3", QStringLiteral("Дата посещения:"), tw(3000, 600, 1455, 255));
    lbldate = make<QLabel>(this, "lbldate", tw(4440, 600, 975, 255));
    lblname->setAccessibleName(QStringLiteral("Фамилия, имя, отчество"));
    lblyear->setAccessibleName(QStringLiteral("Год рождения"));
    lbldate->setAccessibleName(QStringLiteral("Дата посещения"));
    for (QLabel* l : {lblname, lblyear, lbldate})
        setBackColour(l, colours::kHighlightText);

    captioned << make<QLabel>(this, "Label4", QStringLiteral("Жалобы:"), tw(240, 1080, 855, 255));
    txtgalob = makeBox(this, "txtgalob", kBoxNames[0], tw(120, 1320, 3975, 1815));
    captioned << make<QLabel>(this, "Label5", QStringLiteral("Диагноз:"), tw(240, 3240, 855, 255));
    txtdiagnoz = makeBox(this, "txtdiagnoz", kBoxNames[1], tw(120, 3480, 3975, 1815));
    captioned << make<QLabel>(this, "Label6", QStringLiteral("Рецепт:"), tw(4560, 1080, 855, 255));
    txtrecept = makeBox(this, "txtrecept", kBoxNames[2], tw(4200, 1320, 3255, 2775));

    cmdprint = make<QPushButton>(this, "cmdprint", QStringLiteral("Печать"), tw(4440, 4320, 1215, 375));
    cmdsave = make<QPushButton>(this, "cmdsave", QStringLiteral("Сохранить"), tw(6000, 4320, 1215, 375));
    cmdcancel = make<QPushButton>(this, "cmdcancel", QStringLiteral("Выход"), tw(6000, 4920, 1215, 375));
    // The form has no room to spare: a caption too wide gets a smaller font.
    for (QWidget* w : captioned + QList<QWidget*>{cmdprint, cmdsave, cmdcancel})
        fitCaption(w, w->width());
    cmdprint->setToolTip(QStringLiteral("Вывод на принтер"));
    cmdsave->setToolTip(QStringLiteral("Сохранить карту"));
    for (QPushButton* b : {cmdprint, cmdsave, cmdcancel})
        b->setAutoDefault(false); // Enter in a text box is a line break, not a button

    connect(cmdprint, &QPushButton::clicked, this, &frmcardclient::cmdprint_Click);
    connect(cmdsave, &QPushButton::clicked, this, &frmcardclient::cmdsave_Click);
    connect(cmdcancel, &QPushButton::clicked, this, &frmcardclient::cmdcancel_Click);
}

// The preview and the PDF sit behind "Печать" (its context menu) and Ctrl+P, so the
// window keeps its three buttons where they always were.
void frmcardclient::buildPrintMenu() {
    auto* preview = new QAction(QStringLiteral("Предварительный просмотр..."), this);
    preview->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    preview->setShortcutContext(Qt::WindowShortcut);
    auto* pdf = new QAction(QStringLiteral("Сохранить в PDF..."), this);
    connect(preview, &QAction::triggered, this, &frmcardclient::cmdpreview_Click);
    connect(pdf, &QAction::triggered, this, &frmcardclient::cmdpdf_Click);
    addAction(preview);
    cmdprint->addAction(preview);
    cmdprint->addAction(pdf);
    cmdprint->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void frmcardclient::Form_Load() {
    const session::Choice& c = m_session.choice();
    if (!c.hasVisit()) {
        m_error = {patients::Fault::NoVisit, patients::kNoVisit};
        return;
    }
    patients::VisitTexts texts;
    if ((m_error = m_store.readVisit(patients::visitRef(c), &texts)))
        return;
    m_visit = patients::visitRef(c);
    // The card is shown without its chart rather than not at all.
    session::ResultsMatrix results;
    if (!m_store.loadResults(m_visit, &results))
        m_results = results;
    showValue(lblname, c.name);
    lblname->setToolTip(c.name);
    fitCaption(lblname, lblname->width());
    showValue(lblyear, c.year);
    showValue(lbldate, c.visitDate);
    // Each pending addition begins with its own CR LF, so it starts a line of its own.
    texts.prescription += m_session.strRecept;
    fill(texts);
}

void frmcardclient::fill(const patients::VisitTexts& texts) {
    const QString stored[3] = {texts.complaints, texts.diagnosis, texts.prescription};
    QPlainTextEdit* boxes[3] = {txtgalob, txtdiagnoz, txtrecept};
    for (int i = 0; i < 3; ++i) {
        m_stored[i] = stored[i];
        boxes[i]->setPlainText(toBox(stored[i]));
        m_shown[i] = boxText(boxes[i]);
    }
}

QString frmcardclient::boxText(const QPlainTextEdit* box) {
    QString t = box->document()->toRawText();
    for (QChar& c : t)
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = u'\n';
    return t;
}

QString frmcardclient::stored(int box) const {
    const QPlainTextEdit* boxes[3] = {txtgalob, txtdiagnoz, txtrecept};
    const QString now = boxText(boxes[box]);
    return now == m_shown[box] ? m_stored[box] : fromBox(now);
}

int frmcardclient::exec() {
    if (m_error) {
        msgbox::info(parentWidget(), m_error.message);
        return QDialog::Rejected;
    }
    return QDialog::exec();
}

patients::Error frmcardclient::showCard(patients::Store& store, session::Session& session, QWidget* parent,
                                        ChartPage chartPage) {
    frmcardclient card(store, session, parent);
    card.setChartPage(std::move(chartPage));
    card.exec();
    return card.loadError();
}

void frmcardclient::cmdsave_Click() {
    const patients::VisitTexts texts{stored(0), stored(1), stored(2)};
    patients::VisitRef now;
    if (const patients::Error e = m_store.saveVisitTexts(m_visit, texts, &now)) {
        if (e.fault == patients::Fault::BadText)
            showBadText(e);
        else
            msgbox::info(this, e.message);
        return;
    }
    m_session.visitRewritten(m_visit.cardFile, m_visit.position, m_visit.token, now.token);
    m_visit = now;
    // Its additions are stored now: kept pending, the next card would add them again.
    m_session.clearPrescription();
    accept();
}

// The refused text stays in its box, with the offending character selected.
void frmcardclient::showBadText(const patients::Error& error) {
    msgbox::info(this, error.message);
    QPlainTextEdit* boxes[3] = {txtgalob, txtdiagnoz, txtrecept};
    for (int i = 0; i < 3; ++i) {
        const qsizetype at = patients::firstCardRefusal(boxes[i]->toPlainText());
        if (at < 0)
            continue;
        QTextCursor cursor = boxes[i]->textCursor();
        cursor.setPosition(int(at));
        cursor.setPosition(int(at) + 1, QTextCursor::KeepAnchor);
        boxes[i]->setTextCursor(cursor);
        boxes[i]->setFocus();
        return;
    }
}

bool frmcardclient::edited() const {
    const QPlainTextEdit* boxes[3] = {txtgalob, txtdiagnoz, txtrecept};
    for (int i = 0; i < 3; ++i)
        if (boxText(boxes[i]) != m_shown[i])
            return true;
    return false;
}

// Typed text is not thrown away unasked; the additions shown on opening are no edit of
// the user's, and "Выход" drops them as it always did.
void frmcardclient::cmdcancel_Click() {
    if (edited()) {
        switch (msgbox::questionWithCancel(this, QStringLiteral("Сохранить изменения?"), windowTitle())) {
        case msgbox::Answer::Yes:
            cmdsave_Click();
            return;
        case msgbox::Answer::No:
            break;
        default:
            return;
        }
    }
    m_session.clearPrescription();
    QDialog::reject();
}

void frmcardclient::reject() {
    cmdcancel_Click();
}

printing::Card frmcardclient::printedCard() const {
    printing::Card card{lblname->text(),         lblyear->text(),           lbldate->text(),
                        txtgalob->toPlainText(), txtdiagnoz->toPlainText(), txtrecept->toPlainText()};
    if (m_chartPage && (m_results || showsLoadedVisit()))
        card.chartPage =
            m_chartPage(chartResults(), QStringLiteral("%1, посещение %2").arg(card.name, m_visit.date));
    return card;
}

// The visit loaded in the main window is charted with the results it holds now, saved or
// not, as the chart window shows it.
bool frmcardclient::showsLoadedVisit() const {
    const session::Choice& loaded = m_session.loadedVisit();
    return m_visit.position >= 0 && loaded.hasVisit() && patients::visitRef(loaded) == m_visit;
}

session::ResultsMatrix frmcardclient::chartResults() const {
    if (showsLoadedVisit())
        return m_session.strRezult;
    return m_results.value_or(session::ResultsMatrix{});
}

void frmcardclient::cmdprint_Click() {
    report(m_print(this, printedCard()));
}

void frmcardclient::cmdpdf_Click() {
    report(m_pdf(this, printedCard()));
}

void frmcardclient::cmdpreview_Click() {
    report(printing::previewCard(this, printedCard(), [](QWidget* over, const printing::Outcome& failure) {
        msgbox::info(over, failure.error);
    }));
}

void frmcardclient::report(const printing::Outcome& outcome) {
    if (outcome.failed())
        msgbox::info(this, outcome.error);
}
