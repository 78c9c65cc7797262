#include "patients/pageprint.h"

#include "common/text1251.h"

#include <QBuffer>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace cardprint {

namespace {

constexpr double kPdfMarginMm = 5; // as the card's PDF
constexpr int kPdfDpi = 1200;

Outcome failed(const QString& text) {
    return {Outcome::Kind::Failed, text};
}

void paintAll(QPainter& painter, QPagedPaintDevice& device, const Pages& pages, bool* pageFailed) {
    const QRectF area(0, 0, device.width(), device.height());
    for (int i = 0; i < pages.count; ++i) {
        if (i > 0 && !device.newPage()) {
            *pageFailed = true;
            return;
        }
        pages.paint(painter, area, i);
    }
}

QPushButton* button(QWidget* parent, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setAccessibleName(text);
    return b;
}

} // namespace

RenderResult renderPages(QPagedPaintDevice& device, const Pages& pages) {
    QPainter painter;
    if (!painter.begin(&device))
        return RenderResult::NotStarted;
    bool pageFailed = false;
    paintAll(painter, device, pages, &pageFailed);
    const bool ended = painter.end();
    if (pageFailed)
        return RenderResult::PageFailed;
    return ended ? RenderResult::Done : RenderResult::NotFinished;
}

Outcome printPagesOn(QPrinter& printer, const Pages& pages) {
    const bool native = printer.outputFormat() == QPrinter::NativeFormat;
    if ((native && !printer.isValid()) || (!native && printer.outputFileName().isEmpty()))
        return failed(QStringLiteral("Принтер не найден. Установите принтер или сохраните график в PDF."));
    preparePrinter(printer);
    printer.setPageOrientation(pages.orientation);
    const QString name = native ? printer.printerName() : printer.outputFileName();
    const RenderResult result = renderPages(printer, pages);
    if (result == RenderResult::Done && printer.printerState() != QPrinter::Error)
        return {};
    if (result == RenderResult::NotStarted)
        return failed(QStringLiteral("Не удалось начать печать на принтере \"%1\".").arg(name));
    return failed(
        QStringLiteral("Печать на принтере \"%1\" не удалась. График не напечатан полностью.").arg(name));
}

Outcome savePagesPdf(const QString& path, const Pages& pages) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(kPdfDpi);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageOrientation(pages.orientation);
        writer.setPageMargins(QMarginsF(kPdfMarginMm, kPdfMarginMm, kPdfMarginMm, kPdfMarginMm),
                              QPageLayout::Millimeter);
        writer.setTitle(pages.title);
        if (renderPages(writer, pages) != RenderResult::Done)
            return failed(QStringLiteral("Не удалось построить PDF графика."));
    }
    QString error;
    if (!textfile::writeBytes(path, buffer.data(), &error))
        return failed(QStringLiteral("Не удалось сохранить график в PDF. %1").arg(error));
    return {};
}

Outcome printPagesWithDialog(QWidget* parent, const Pages& pages) {
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(printer);
    printer.setPageOrientation(pages.orientation);
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Печать"));
    if (dialog.exec() != QDialog::Accepted)
        return {Outcome::Kind::Cancelled, {}};
    return printPagesOn(printer, pages);
}

Outcome savePagesPdfWithDialog(QWidget* parent, const Pages& pages) {
    const QString path =
        QFileDialog::getSaveFileName(parent, QStringLiteral("Сохранить PDF"),
                                     pages.title + QStringLiteral(".pdf"), QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty())
        return {Outcome::Kind::Cancelled, {}};
    return savePagesPdf(path, pages);
}

PagesPreview::PagesPreview(Pages pages, Report report, QWidget* parent)
    : QDialog(parent), m_pages(std::move(pages)), m_report(std::move(report)) {
    setWindowTitle(QStringLiteral("Предварительный просмотр"));
    if (!m_printer.isValid())
        m_printer.setOutputFormat(QPrinter::PdfFormat);
    preparePrinter(m_printer);
    m_printer.setPageOrientation(m_pages.orientation);

    m_view = new QPrintPreviewWidget(&m_printer, this);
    m_view->setAccessibleName(m_pages.title);
    connect(m_view, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter* printer) {
        QPainter painter(printer);
        bool pageFailed = false;
        paintAll(painter, *printer, m_pages, &pageFailed);
    });
    auto* cmdprint = button(this, QStringLiteral("Печать"));
    auto* cmdpdf = button(this, QStringLiteral("Сохранить PDF"));
    auto* cmdclose = button(this, QStringLiteral("Закрыть"));
    connect(cmdprint, &QPushButton::clicked, this, &PagesPreview::cmdprint_Click);
    connect(cmdpdf, &QPushButton::clicked, this, &PagesPreview::cmdpdf_Click);
    connect(cmdclose, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdprint);
    buttons->addWidget(cmdpdf);
    buttons->addWidget(cmdclose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_view, 1);
    layout->addLayout(buttons);
    resize(1000, 760);
    m_view->updatePreview();
}

int PagesPreview::pageCount() const {
    return m_view->pageCount();
}

void PagesPreview::cmdprint_Click() {
    if (const Outcome o = m_print(this, m_pages); o.failed())
        m_report(this, o);
}

void PagesPreview::cmdpdf_Click() {
    if (const Outcome o = m_save(this, m_pages); o.failed())
        m_report(this, o);
}

} // namespace cardprint
