#include "printing/pageprint.h"

#include "common/text1251.h"

#include <QBuffer>
#include <QFileDialog>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>

namespace printing {

namespace {

constexpr double kPdfMarginMm = 5; // as the card's PDF
constexpr int kPdfDpi = 1200;
const QSize kWanted(1100, 800); // pixels: a landscape page beside the toolbar

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
    preparePrinter(printer);
    printer.setPageOrientation(pages.orientation);
    return printPagesAsSetUp(printer, pages);
}

Outcome printPagesAsSetUp(QPrinter& printer, const Pages& pages) {
    const bool native = printer.outputFormat() == QPrinter::NativeFormat;
    if ((native && !printer.isValid()) || (!native && printer.outputFileName().isEmpty()))
        return failed(QStringLiteral("Принтер не найден. Установите принтер или сохраните график в PDF."));
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

namespace {

bool chooseInDialog(QPrinter& printer, QWidget* parent) {
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Печать"));
    return dialog.exec() == QDialog::Accepted;
}

} // namespace

Outcome printPagesWithDialog(QWidget* parent, const Pages& pages) {
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(printer);
    printer.setPageOrientation(pages.orientation);
    return chooseInDialog(printer, parent) ? printPagesOn(printer, pages)
                                           : Outcome{Outcome::Kind::Cancelled, {}};
}

Outcome printPagesWithDialogOn(QPrinter& printer, QWidget* parent, const Pages& pages) {
    return chooseInDialog(printer, parent) ? printPagesAsSetUp(printer, pages)
                                           : Outcome{Outcome::Kind::Cancelled, {}};
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
    : PreviewDialog(pages.orientation, kWanted, std::move(report), parent), m_pages(std::move(pages)) {}

void PagesPreview::paintPages(QPrinter& printer) {
    QPainter painter(&printer);
    bool pageFailed = false;
    paintAll(painter, printer, m_pages, &pageFailed);
}

Outcome PagesPreview::printNow() {
    return m_print ? m_print(this, m_pages) : printPagesWithDialogOn(*printer(), this, m_pages);
}

Outcome PagesPreview::savePdfNow() {
    return m_save(this, m_pages);
}

} // namespace printing
