#include "printing/cardpreview.h"

#include "printing/cardrender.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPainter>
#include <QPrinter>

namespace printing {

namespace {

const QSize kWanted(820, 1000); // pixels: an upright page beside the toolbar

} // namespace

CardPreview::CardPreview(const Card& card, Report report, QWidget* parent)
    : PreviewDialog(QPageLayout::Portrait, kWanted, std::move(report), parent), m_card(card) {
    // Only a card whose visit has a chart offers it; the card alone is the default.
    // Under the pages, where a narrow screen does not fold it away with the toolbar's end.
    auto* row = new QWidget(this);
    chkchart = new QCheckBox(kChartChoice, row);
    chkchart->setAccessibleName(kChartChoice);
    chkchart->setChecked(m_card.printsChart());
    (new QHBoxLayout(row))->addWidget(chkchart);
    row->setVisible(bool(m_card.chartPage));
    layout()->addWidget(row);
    connect(chkchart, &QCheckBox::toggled, this, [this](bool on) {
        m_card.withChart = on;
        refresh();
    });
}

void CardPreview::paintPages(QPrinter& printer) {
    QPainter painter(&printer);
    paintCard(painter, printer, m_card);
}

Outcome CardPreview::printNow() {
    return m_print ? m_print(this, m_card) : printWithDialogOn(*printer(), this, m_card);
}

Outcome CardPreview::savePdfNow() {
    return m_save(this, m_card);
}

} // namespace printing
