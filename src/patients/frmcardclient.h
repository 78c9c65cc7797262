#pragma once
// The card window: one visit's complaints, diagnosis and prescription for editing, saving
// them into the visit, and printing the card. It opens on the visit chosen in the patient
// list; without a visit it cannot be shown at all.
#include "common/session.h"
#include "patients/store.h"
#include "printing/printing.h"

#include <QDialog>
#include <functional>
#include <optional>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class frmcardclient : public QDialog {
    Q_OBJECT
  public:
    // A visit's results as a page to print after the card, under a title. Given by the
    // opener, which knows the charts; none: the card is printed alone.
    using ChartPage =
        std::function<printing::PagePainter(const session::ResultsMatrix& results, const QString& title)>;

    // Reads the visit session.choice() names. Check loadError() before showing: exec() of a
    // window that failed shows the reason and returns Rejected without opening.
    frmcardclient(patients::Store& store, session::Session& session, QWidget* parent = nullptr);

    // The opener's one call: the card modally, returning when it is closed; when the visit
    // cannot be shown, says why and returns that error without opening a window.
    static patients::Error showCard(patients::Store& store, session::Session& session, QWidget* parent,
                                    ChartPage chartPage = {});
    void setChartPage(ChartPage page) { m_chartPage = std::move(page); }

    const patients::Error& loadError() const { return m_error; }
    int exec() override;

    void cmdsave_Click();
    void cmdcancel_Click();
    void cmdprint_Click();
    void cmdpreview_Click();
    void cmdpdf_Click();

    // The card as it stands in the window, saved or not, offering the visit's chart page.
    printing::Card printedCard() const;

    // What printing and PDF do after their dialogs; tests put in their own.
    using Action = std::function<printing::Outcome(QWidget*, const printing::Card&)>;
    void setPrintAction(Action action) { m_print = std::move(action); }
    void setPdfAction(Action action) { m_pdf = std::move(action); }

    QLabel* lblname = nullptr;
    QLabel* lblyear = nullptr;
    QLabel* lbldate = nullptr;
    QPlainTextEdit* txtgalob = nullptr;
    QPlainTextEdit* txtdiagnoz = nullptr;
    QPlainTextEdit* txtrecept = nullptr;
    QPushButton* cmdprint = nullptr;
    QPushButton* cmdsave = nullptr;
    QPushButton* cmdcancel = nullptr;

  public slots:
    // Escape and the close box leave as "Выход" does.
    void reject() override;

  private:
    void buildForm();
    void buildPrintMenu();
    void Form_Load();
    void fill(const patients::VisitTexts& texts);
    QString stored(int box) const;
    // The box's text with every character as typed (toPlainText makes a no-break space a blank).
    static QString boxText(const QPlainTextEdit* box);
    // A box's text differs from what it showed on opening.
    bool edited() const;
    void showBadText(const patients::Error& error);
    void report(const printing::Outcome& outcome);
    bool showsLoadedVisit() const;
    session::ResultsMatrix chartResults() const;

    patients::Store& m_store;
    session::Session& m_session;
    // The visit shown, as read; empty when it could not be.
    patients::VisitRef m_visit;
    patients::Error m_error;
    // Per box: the text as stored (CR LF inside) and as the box first showed it, so an
    // untouched box is written back exactly as it was read.
    QString m_stored[3];
    QString m_shown[3];
    // The visit's stored results, for its chart; none when they could not be read.
    std::optional<session::ResultsMatrix> m_results;
    ChartPage m_chartPage;
    Action m_print = printing::printCard;
    Action m_pdf = printing::saveCardPdf;
};
