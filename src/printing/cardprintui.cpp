#include "printing/cardprintui.h"

#include "common/text1251.h"
#include "printing/cardrender.h"

#include <QBuffer>
#include <QCheckBox>
#include <QFileDialog>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QVBoxLayout>
#include <optional>

namespace printing {

const QString kChartChoice = QStringLiteral("График посещения на отдельной странице");

namespace {

constexpr double kPdfMarginMm = 5; // about the rim a printer cannot reach
const QMarginsF kPdfMargins(kPdfMarginMm, kPdfMarginMm, kPdfMarginMm, kPdfMarginMm);

Outcome failed(const QString& text) {
    return {Outcome::Kind::Failed, text};
}

QString printerName(const QPrinter& printer) {
    return printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName() : printer.printerName();
}

} // namespace

void preparePrinter(QPrinter& printer) {
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    if (printer.outputFormat() == QPrinter::PdfFormat)
        printer.setPageMargins(kPdfMargins, QPageLayout::Millimeter);
    else // the smallest margins the printer allows
        printer.setPageMargins(QMarginsF(), QPageLayout::Millimeter);
}

Outcome printOn(QPrinter& printer, const Card& card) {
    preparePrinter(printer);
    return printAsSetUp(printer, card);
}

Outcome printAsSetUp(QPrinter& printer, const Card& card) {
    // Without any printer Qt falls back to a PDF with no file name.
    const bool native = printer.outputFormat() == QPrinter::NativeFormat;
    if ((native && !printer.isValid()) || (!native && printer.outputFileName().isEmpty()))
        return failed(QStringLiteral("Принтер не найден. Установите принтер или сохраните карту в PDF."));
    const RenderResult result = render(printer, card);
    if (result == RenderResult::Done && printer.printerState() != QPrinter::Error)
        return {};
    if (result == RenderResult::NotStarted)
        return failed(
            QStringLiteral("Не удалось начать печать на принтере \"%1\".").arg(printerName(printer)));
    return failed(QStringLiteral("Печать на принтере \"%1\" не удалась. Карта не напечатана полностью.")
                      .arg(printerName(printer)));
}

Outcome savePdf(const QString& path, const Card& card) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(1200);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageOrientation(QPageLayout::Portrait);
        writer.setPageMargins(kPdfMargins, QPageLayout::Millimeter);
        writer.setTitle(QStringLiteral("Карта пациента: %1, %2").arg(card.name, card.date));
        if (render(writer, card) != RenderResult::Done)
            return failed(QStringLiteral("Не удалось построить PDF карты."));
    }
    // Built whole in memory first, so a failed write leaves an older file untouched.
    QString error;
    if (!textfile::writeBytes(path, buffer.data(), &error))
        return failed(QStringLiteral("Не удалось сохранить карту в PDF. %1").arg(error));
    return {};
}

QWidget* chartOptionTab(const Card& card, QWidget* parent) {
    if (!card.chartPage)
        return nullptr;
    auto* tab = new QWidget(parent);
    tab->setWindowTitle(QStringLiteral("График"));
    auto* choice = new QCheckBox(kChartChoice, tab);
    choice->setObjectName(QStringLiteral("chkchart"));
    choice->setAccessibleName(kChartChoice);
    choice->setChecked(card.withChart);
    auto* column = new QVBoxLayout(tab);
    column->addWidget(choice);
    column->addStretch();
    return tab;
}

namespace {

// The print dialog on the printer: the card with the chart as chosen there, nothing when
// cancelled.
std::optional<Card> chooseInDialog(QPrinter& printer, QWidget* parent, const Card& card) {
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Печать"));
    QWidget* tab = chartOptionTab(card, &dialog);
    if (tab)
        dialog.setOptionTabs({tab});
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    Card chosen = card;
    if (tab)
        chosen.withChart = tab->findChild<QCheckBox*>(QStringLiteral("chkchart"))->isChecked();
    return chosen;
}

} // namespace

Outcome printWithDialog(QWidget* parent, const Card& card) {
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(printer);
    const std::optional<Card> chosen = chooseInDialog(printer, parent, card);
    return chosen ? printOn(printer, *chosen) : Outcome{Outcome::Kind::Cancelled, {}};
}

Outcome printWithDialogOn(QPrinter& printer, QWidget* parent, const Card& card) {
    const std::optional<Card> chosen = chooseInDialog(printer, parent, card);
    return chosen ? printAsSetUp(printer, *chosen) : Outcome{Outcome::Kind::Cancelled, {}};
}

Outcome savePdfWithDialog(QWidget* parent, const Card& card) {
    const QString path =
        QFileDialog::getSaveFileName(parent, QStringLiteral("Сохранить PDF"),
                                     card.name + QStringLiteral(".pdf"), QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty())
        return {Outcome::Kind::Cancelled, {}};
    return savePdf(path, card);
}

} // namespace printing
