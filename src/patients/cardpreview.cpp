#include "patients/cardpreview.h"

#include "patients/cardrender.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace cardprint {

CardPreview::CardPreview(const Card& card, Report report, QWidget* parent)
    : QDialog(parent), m_card(card), m_report(std::move(report)) {
    setWindowTitle(QStringLiteral("Предварительный просмотр"));
    // Without a printer the preview still needs page metrics: the PDF engine gives them.
    if (!m_printer.isValid())
        m_printer.setOutputFormat(QPrinter::PdfFormat);
    preparePrinter(m_printer);

    m_view = new QPrintPreviewWidget(&m_printer, this);
    m_view->setAccessibleName(QStringLiteral("Карта пациента"));
    connect(m_view, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter* printer) {
        QPainter painter(printer);
        paintCard(painter, *printer, m_card);
    });

    // Only a card whose visit has a chart offers it; the card alone is the default.
    chkchart = new QCheckBox(kChartChoice, this);
    chkchart->setAccessibleName(kChartChoice);
    chkchart->setChecked(m_card.printsChart());
    chkchart->setVisible(bool(m_card.chartPage));
    connect(chkchart, &QCheckBox::toggled, this, [this](bool on) {
        m_card.withChart = on;
        m_view->updatePreview();
    });

    m_cmdprint = new QPushButton(QStringLiteral("Печать"), this);
    m_cmdpdf = new QPushButton(QStringLiteral("Сохранить PDF"), this);
    m_cmdclose = new QPushButton(QStringLiteral("Закрыть"), this);
    m_cmdprint->setAccessibleName(m_cmdprint->text());
    m_cmdpdf->setAccessibleName(m_cmdpdf->text());
    m_cmdclose->setAccessibleName(m_cmdclose->text());
    connect(m_cmdprint, &QPushButton::clicked, this, &CardPreview::cmdprint_Click);
    connect(m_cmdpdf, &QPushButton::clicked, this, &CardPreview::cmdpdf_Click);
    connect(m_cmdclose, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(chkchart);
    buttons->addStretch();
    buttons->addWidget(m_cmdprint);
    buttons->addWidget(m_cmdpdf);
    buttons->addWidget(m_cmdclose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_view, 1);
    layout->addLayout(buttons);
    resize(700, 900);
    m_view->updatePreview();
}

int CardPreview::pageCount() const {
    return m_view->pageCount();
}

void CardPreview::cmdprint_Click() {
    report(m_print(this, m_card));
}

void CardPreview::cmdpdf_Click() {
    report(m_save(this, m_card));
}

void CardPreview::report(const Outcome& outcome) {
    if (outcome.failed())
        m_report(this, outcome);
}

} // namespace cardprint
