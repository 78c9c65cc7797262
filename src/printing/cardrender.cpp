#include "printing/cardrender.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

namespace printing {

namespace {
constexpr double kTwipsPerInch = 1440;
constexpr double kTwipsPerPoint = 20;
} // namespace

QFont cardFont(double pointSize) {
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    if (!QFontInfo(font).fixedPitch())
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(pointSize);
    font.setKerning(false);
    // Unhinted advances keep a line of cells as wide on a screen as on paper.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

Measure fontMeasure() {
    // Measured once at a large pixel size where one pixel stands for one twip.
    constexpr double reference = 100; // points
    QFont font = cardFont(reference);
    font.setPixelSize(int(reference * kTwipsPerPoint));
    const QFontMetricsF metrics(font);
    return [metrics](const QString& text, double pointSize) {
        return metrics.horizontalAdvance(text) * pointSize / reference;
    };
}

PageArea areaOf(const QPaintDevice& device) {
    return {device.width() * kTwipsPerInch / device.logicalDpiX(),
            device.height() * kTwipsPerInch / device.logicalDpiY()};
}

void paintPage(QPainter& painter, const Page& page) {
    const QPaintDevice* device = painter.device();
    const double sx = device->logicalDpiX() / kTwipsPerInch;
    const double sy = device->logicalDpiY() / kTwipsPerInch;
    painter.save();
    painter.setPen(Qt::black);
    for (const Run& run : page.runs) {
        const QFont font = cardFont(run.pointSize);
        painter.setFont(font);
        // A run's y is the top of its line; the painter wants the baseline.
        const QFontMetricsF metrics(font, device);
        painter.drawText(QPointF(run.x * sx, run.y * sy + metrics.ascent()), run.text);
    }
    painter.restore();
}

bool paintCard(QPainter& painter, QPagedPaintDevice& device, const Card& card) {
    const QList<Page> pages = layout(card, areaOf(device), fontMeasure());
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (i > 0 && !device.newPage())
            return false;
        paintPage(painter, pages[i]);
    }
    if (!card.printsChart())
        return true;
    if (!device.newPage())
        return false;
    painter.save();
    card.chartPage(painter, QRectF(0, 0, device.width(), device.height()));
    painter.restore();
    return true;
}

RenderResult render(QPagedPaintDevice& device, const Card& card) {
    QPainter painter;
    if (!painter.begin(&device))
        return RenderResult::NotStarted;
    if (!paintCard(painter, device, card)) {
        painter.end();
        return RenderResult::PageFailed;
    }
    return painter.end() ? RenderResult::Done : RenderResult::NotFinished;
}

} // namespace printing
