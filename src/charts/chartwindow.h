#pragma once
// The result charts of one patient: a visit at a glance, a point across visits and left
// against right, with printing and export. The visit loaded in the main window is shown
// with the results the main window holds now, saved or not.
#include "charts/chartrender.h"
#include "common/session.h"
#include "patients/store.h"
#include "printing/printing.h"

#include <QDialog>
#include <QImage>

class QComboBox;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabBar;
class ChartView;

class ChartWindow : public QDialog {
    Q_OBJECT
  public:
    enum Chart { VisitChart, TrendChart, SidesChart };

    // `patient` is a line of the store's list (its visits are read here, the store is not
    // kept); -1 shows the main window's results alone. `visit` is a card position (0 = newest), -1 for the
    // one loaded in the main window or else the newest.
    ChartWindow(patients::Store& store, int patient, session::Session& session, int visit = -1,
                QWidget* parent = nullptr);

    // Why the card could not be read; empty when the window has its data.
    const QString& error() const { return m_error; }

    void showChart(Chart chart);
    // Card position of the visit shown.
    void chooseVisit(int cardVisit);
    void choosePoint(int row, bool left, int point);

    // Printing and export of the chart shown.
    printing::Pages pages() const;
    QImage image(const QSize& size, qreal pixelRatio = 1) const;
    void cmdprint_Click();
    void cmdpdf_Click();
    void cmdpng_Click();

    // Tests: PNG saving without the file dialog.
    using SaveName = std::function<QString(QWidget*, const QString& suggested)>;
    void setPngName(SaveName name) { m_pngName = std::move(name); }
    using PreviewAction = std::function<void(const printing::Pages&)>;
    void setPreviewAction(PreviewAction action) { m_preview = std::move(action); }

    QTabBar* tabchart = nullptr;
    QComboBox* cbovisit = nullptr;
    QComboBox* cbomeridian = nullptr;
    QComboBox* cbopoint = nullptr;
    QRadioButton* optleft = nullptr;
    QRadioButton* optright = nullptr;
    QSpinBox* spnthreshold = nullptr;
    QPushButton* cmdprint = nullptr;
    QPushButton* cmdpdf = nullptr;
    QPushButton* cmdpng = nullptr;
    QPushButton* cmdclose = nullptr;
    ChartView* view = nullptr;

  signals:
    // A bar was clicked: the main window selects that meridian (or branch), side and row.
    void pointChosen(int meridian, bool leftSide, int row);

  private:
    void build();
    QWidget* buildControls();
    void loadHistory(patients::Store& store, int patient);
    void fillVisits(int cardVisit);
    void fillPoints();
    void refresh();
    void barClicked(const charts::Hit& hit);
    QString describe(const charts::Hit& hit) const;
    QString title() const;
    int historyPosition() const;
    charts::VisitCells cellsOf(int position) const;
    charts::Hits paint(QPainter& p, const QRectF& area) const;

    session::Session& m_session;
    charts::History m_history;
    QString m_name;
    QString m_cardFile;
    int m_live = -1; // history position holding the main window's results, -1 for none
    QString m_error;
    SaveName m_pngName;
    PreviewAction m_preview;
};

// Opens the charts of a patient, or says why they cannot be shown; null then.
ChartWindow* openCharts(QWidget* parent, patients::Store& store, int patient, session::Session& session,
                        int visit = -1);
// The charts of the visit loaded in the session (its patient found in the store's list as
// last read), or of the results alone when no visit is loaded.
ChartWindow* openLoadedCharts(QWidget* parent, patients::Store& store, session::Session& session);
