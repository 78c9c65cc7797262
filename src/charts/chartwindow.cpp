#include "charts/chartwindow.h"

#include "catalogue/catalogue.h"
#include "charts/chartview.h"
#include "common/form.h"
#include "common/messages.h"
#include "common/text1251.h"
#include "common/windowplace.h"

#include <QBuffer>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QVBoxLayout>

using form::make;

namespace {

const QString kLiveMark = QStringLiteral(" (в главном окне)");

QString resultText(const charts::Cell& c) {
    return c ? QStringLiteral("макс. %1, падение %2").arg(c->max).arg(c->drop)
             : QStringLiteral("не измерено");
}

QString rowName(int row) {
    return row >= session::kFirstBranchRow ? catalogue::branchItems().value(row - session::kFirstBranchRow)
                                           : catalogue::meridianName(row);
}

} // namespace

ChartWindow::ChartWindow(patients::Store& store, int patient, session::Session& session, int visit,
                         QWidget* parent)
    : QDialog(parent), m_session(session) {
    loadHistory(store, patient);
    build();
    fillVisits(visit);
    fillPoints();
    connect(&m_session, &session::Session::visitLoaded, this, [this] {
        const int shown = cbovisit->currentIndex();
        fillVisits(shown);
        refresh();
    });
    refresh();
    windowplace::keep(this, QStringLiteral("charts"));
}

void ChartWindow::loadHistory(patients::Store& store, int patient) {
    if (patient < 0) {
        m_history.dates << QString();
        m_history.records << QString();
        return;
    }
    const auto& records = store.list();
    if (patient < records.size()) {
        m_name = records[patient].name();
        m_cardFile = records[patient].cardFile();
    }
    if (auto h = charts::readHistory(store, patient, &m_error))
        m_history = std::move(*h);
}

void ChartWindow::build() {
    setWindowTitle(m_name.isEmpty() ? QStringLiteral("Графики результатов")
                                    : QStringLiteral("Графики результатов: %1").arg(m_name));
    tabchart = make<QTabBar>(this, "tabchart");
    tabchart->setAccessibleName(QStringLiteral("График"));
    tabchart->addTab(QStringLiteral("Посещение"));
    tabchart->addTab(QStringLiteral("Точка по посещениям"));
    tabchart->addTab(QStringLiteral("Левая и правая"));
    view = make<ChartView>(this, "view");
    view->setPainter([this](QPainter& p, const QRectF& area) { return paint(p, area); });
    view->setDescriber([this](const charts::Hit& h) { return describe(h); });
    connect(view, &ChartView::hitClicked, this, &ChartWindow::barClicked);
    connect(tabchart, &QTabBar::currentChanged, this, [this] { refresh(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabchart);
    layout->addWidget(buildControls());
    layout->addWidget(view, 1);
    auto* buttons = new QHBoxLayout;
    cmdprint = make<QPushButton>(this, "cmdprint", QStringLiteral("Печать"));
    cmdpdf = make<QPushButton>(this, "cmdpdf", QStringLiteral("Сохранить PDF"));
    cmdpng = make<QPushButton>(this, "cmdpng", QStringLiteral("Сохранить PNG"));
    cmdclose = make<QPushButton>(this, "cmdclose", QStringLiteral("Закрыть"));
    buttons->addStretch();
    for (QPushButton* b : {cmdprint, cmdpdf, cmdpng, cmdclose})
        buttons->addWidget(b);
    layout->addLayout(buttons);
    connect(cmdprint, &QPushButton::clicked, this, &ChartWindow::cmdprint_Click);
    connect(cmdpdf, &QPushButton::clicked, this, &ChartWindow::cmdpdf_Click);
    connect(cmdpng, &QPushButton::clicked, this, &ChartWindow::cmdpng_Click);
    connect(cmdclose, &QPushButton::clicked, this, &QDialog::reject);
}

QWidget* ChartWindow::buildControls() {
    auto* box = new QWidget(this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    cbovisit = make<QComboBox>(box, "cbovisit");
    cbovisit->setAccessibleName(QStringLiteral("Посещение"));
    cbomeridian = make<QComboBox>(box, "cbomeridian");
    cbomeridian->setAccessibleName(QStringLiteral("Меридиан"));
    cbomeridian->addItems(catalogue::meridianNames() + catalogue::branchItems());
    cbopoint = make<QComboBox>(box, "cbopoint");
    cbopoint->setAccessibleName(QStringLiteral("Точка"));
    optleft = make<QRadioButton>(box, "optleft", QStringLiteral("Левая"));
    optright = make<QRadioButton>(box, "optright", QStringLiteral("Правая"));
    optleft->setChecked(true);
    spnthreshold = make<QSpinBox>(box, "spnthreshold");
    spnthreshold->setAccessibleName(QStringLiteral("Порог"));
    spnthreshold->setRange(0, 100);
    spnthreshold->setValue(charts::kDefaultThreshold);
    const std::pair<QString, QWidget*> items[] = {{QStringLiteral("Посещение:"), cbovisit},
                                                  {QStringLiteral("Меридиан:"), cbomeridian},
                                                  {QStringLiteral("Точка:"), cbopoint},
                                                  {QString(), optleft},
                                                  {QString(), optright},
                                                  {QStringLiteral("Порог:"), spnthreshold}};
    for (const auto& [caption, w] : items) {
        // Named after what it labels: "lblvisit" for "cbovisit".
        if (!caption.isEmpty())
            row->addWidget(make<QLabel>(box, QStringLiteral("lbl") + w->objectName().mid(3), caption));
        row->addWidget(w);
    }
    row->addStretch();
    connect(cbovisit, &QComboBox::currentIndexChanged, this, [this] { refresh(); });
    connect(cbomeridian, &QComboBox::currentIndexChanged, this, [this] { fillPoints(); });
    connect(cbopoint, &QComboBox::currentIndexChanged, this, [this] { refresh(); });
    connect(optleft, &QRadioButton::toggled, this, [this] { refresh(); });
    connect(spnthreshold, &QSpinBox::valueChanged, this, [this] { refresh(); });
    return box;
}

// Visits newest first, as the patient list shows them; the one the main window holds is marked.
void ChartWindow::fillVisits(int cardVisit) {
    const session::Choice& loaded = m_session.loadedVisit();
    m_live = -1;
    if (m_cardFile.isEmpty() && m_error.isEmpty())
        m_live = 0;
    else if (loaded.hasVisit() && loaded.cardFile == m_cardFile && loaded.visit < m_history.size())
        m_live = m_history.fromCardPosition(loaded.visit);
    const QSignalBlocker block(cbovisit);
    cbovisit->clear();
    for (int v = 0; v < m_history.size(); ++v) {
        const int pos = m_history.fromCardPosition(v);
        const QString date = m_history.dates.value(pos);
        cbovisit->addItem(date.isEmpty() ? QStringLiteral("Текущие измерения")
                                         : date + (pos == m_live ? kLiveMark : QString()));
    }
    if (cardVisit < 0 && m_live >= 0)
        cardVisit = m_history.fromCardPosition(m_live);
    cbovisit->setCurrentIndex(std::clamp(cardVisit, 0, std::max(0, m_history.size() - 1)));
}

void ChartWindow::fillPoints() {
    const int row = cbomeridian->currentIndex();
    const QSignalBlocker block(cbopoint);
    cbopoint->clear();
    const bool branch = row >= session::kFirstBranchRow;
    if (!branch)
        for (int p = 0; p < catalogue::pointCount(row); ++p) {
            const catalogue::Point pt = catalogue::point(row, p);
            cbopoint->addItem(pt.number);
            cbopoint->setItemData(p, pt.description, Qt::ToolTipRole);
        }
    cbopoint->setCurrentIndex(branch ? -1 : catalogue::bottomRow(row));
    refresh();
}

void ChartWindow::refresh() {
    const int chart = tabchart->currentIndex();
    const bool branch = cbomeridian->currentIndex() >= session::kFirstBranchRow;
    cbovisit->setEnabled(chart != TrendChart);
    cbomeridian->setEnabled(chart == TrendChart);
    cbopoint->setEnabled(chart == TrendChart && !branch);
    optleft->setEnabled(chart == TrendChart && !branch);
    optright->setEnabled(chart == TrendChart && !branch);
    spnthreshold->setEnabled(chart == SidesChart);
    view->update();
}

void ChartWindow::showChart(Chart chart) {
    tabchart->setCurrentIndex(chart);
}

void ChartWindow::chooseVisit(int cardVisit) {
    cbovisit->setCurrentIndex(cardVisit);
}

void ChartWindow::choosePoint(int row, bool left, int point) {
    cbomeridian->setCurrentIndex(row);
    if (row < session::kFirstBranchRow)
        cbopoint->setCurrentIndex(point);
    (left ? optleft : optright)->setChecked(true);
}

int ChartWindow::historyPosition() const {
    return m_history.fromCardPosition(std::max(0, cbovisit->currentIndex()));
}

charts::VisitCells ChartWindow::cellsOf(int position) const {
    if (position == m_live)
        return charts::VisitCells::of(m_session.strRezult);
    return m_history.visit(position);
}

charts::Hits ChartWindow::paint(QPainter& p, const QRectF& area) const {
    const int row = cbomeridian->currentIndex();
    switch (tabchart->currentIndex()) {
    case TrendChart: {
        const bool left = optleft->isChecked();
        const int point = std::max(0, cbopoint->currentIndex());
        charts::Trend t = charts::trendOf(m_history, row, left, point);
        if (m_live >= 0 && m_live < int(t.visits.size()))
            t.visits[size_t(m_live)] =
                charts::trendPointOf(cellsOf(m_live), m_history.dates.value(m_live), row, left, point);
        return charts::paintTrend(p, area, t, title());
    }
    case SidesChart: {
        const int threshold = spnthreshold->value();
        return charts::paintSides(p, area, charts::sideDifferences(cellsOf(historyPosition()), threshold),
                                  threshold, title());
    }
    default:
        return charts::paintVisit(p, area, charts::visitChart(cellsOf(historyPosition())), title());
    }
}

QString ChartWindow::title() const {
    const int pos = historyPosition();
    QString visit = m_history.dates.value(pos).isEmpty()
                        ? QStringLiteral("текущие измерения")
                        : QStringLiteral("посещение %1").arg(m_history.dates.value(pos));
    if (pos == m_live && !m_cardFile.isEmpty())
        visit += kLiveMark;
    const QString who = m_name.isEmpty() ? QString() : m_name + QStringLiteral(", ");
    switch (tabchart->currentIndex()) {
    case TrendChart: {
        const int row = cbomeridian->currentIndex();
        if (row >= session::kFirstBranchRow)
            return who + rowName(row);
        return who + QStringLiteral("%1, точка %2, %3 сторона")
                         .arg(rowName(row), cbopoint->currentText(),
                              optleft->isChecked() ? QStringLiteral("левая") : QStringLiteral("правая"));
    }
    case SidesChart:
        return who + visit + QStringLiteral(": левая сторона против правой");
    default:
        return who + visit;
    }
}

QString ChartWindow::describe(const charts::Hit& h) const {
    if (h.visit >= 0) {
        const charts::VisitCells cells = cellsOf(h.visit);
        const int column =
            h.row >= session::kFirstBranchRow ? 0 : (h.left ? 0 : session::kRightOffset) + h.point;
        return m_history.dates.value(h.visit) + QStringLiteral(": ") + resultText(cells.at(h.row, column));
    }
    const charts::VisitCells cells = cellsOf(historyPosition());
    if (h.row >= session::kFirstBranchRow)
        return rowName(h.row) + QStringLiteral(": ") + resultText(cells.at(h.row, 0));
    const QString where =
        rowName(h.row) + QStringLiteral(", точка ") + catalogue::point(h.row, h.point).number;
    if (tabchart->currentIndex() == SidesChart)
        return where + QStringLiteral("\nлевая: ") + resultText(cells.at(h.row, h.point)) +
               QStringLiteral("\nправая: ") + resultText(cells.at(h.row, session::kRightOffset + h.point));
    return where + (h.left ? QStringLiteral(", левая: ") : QStringLiteral(", правая: ")) +
           resultText(cells.at(h.row, (h.left ? 0 : session::kRightOffset) + h.point));
}

void ChartWindow::barClicked(const charts::Hit& h) {
    if (h.visit >= 0) {
        chooseVisit(m_history.fromCardPosition(h.visit));
        return;
    }
    choosePoint(h.row, h.left, h.row >= session::kFirstBranchRow ? 0 : h.point);
    emit pointChosen(h.row, h.left, h.row >= session::kFirstBranchRow ? 0 : h.point);
}

printing::Pages ChartWindow::pages() const {
    printing::Pages pages;
    pages.title = title();
    pages.paint = [this](QPainter& p, const QRectF& area, int) { paint(p, area); };
    return pages;
}

QImage ChartWindow::image(const QSize& size, qreal pixelRatio) const {
    QImage img(size * pixelRatio, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(pixelRatio);
    img.fill(palette().color(QPalette::Base));
    QPainter p(&img);
    paint(p, QRectF(QPointF(), QSizeF(size)));
    return img;
}

void ChartWindow::cmdprint_Click() {
    if (m_preview) {
        m_preview(pages());
        return;
    }
    const auto report = [](QWidget* over, const printing::Outcome& failure) {
        msgbox::info(over, failure.error);
    };
    if (const printing::Outcome o = printing::previewPages(this, pages(), report); o.failed())
        msgbox::info(this, o.error);
}

void ChartWindow::cmdpdf_Click() {
    if (const printing::Outcome o = printing::savePagesPdf(this, pages()); o.failed())
        msgbox::info(this, o.error);
}

void ChartWindow::cmdpng_Click() {
    const QString suggested = title() + QStringLiteral(".png");
    const QString path = m_pngName ? m_pngName(this, suggested)
                                   : QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить PNG"),
                                                                  suggested, QStringLiteral("PNG (*.png)"));
    if (path.isEmpty())
        return;
    // Twice the window's pixels, so the picture stays sharp when printed or enlarged.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image(view->size(), 2).save(&buffer, "PNG");
    QString error;
    if (!textfile::writeBytes(path, bytes, &error))
        msgbox::info(this, QStringLiteral("Не удалось сохранить график в PNG. %1").arg(error));
}

ChartWindow* openCharts(QWidget* parent, patients::Store& store, int patient, session::Session& session,
                        int visit) {
    auto* w = new ChartWindow(store, patient, session, visit, parent);
    if (!w->error().isEmpty()) {
        msgbox::info(parent, w->error());
        delete w;
        return nullptr;
    }
    w->setAttribute(Qt::WA_DeleteOnClose);
    return w;
}

ChartWindow* openLoadedCharts(QWidget* parent, patients::Store& store, session::Session& session) {
    const session::Choice& loaded = session.loadedVisit();
    int patient = -1;
    const auto& records = store.list();
    for (qsizetype i = 0; loaded.hasVisit() && i < records.size() && patient < 0; ++i)
        if (records[i].cardFile() == loaded.cardFile)
            patient = int(i);
    return openCharts(parent, store, patient, session, patient < 0 ? -1 : loaded.visit);
}
