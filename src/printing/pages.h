#pragma once
// Pages painted by a function (the result charts), for printing, preview and PDF.
#include <QPageLayout>
#include <QRectF>
#include <QString>
#include <functional>

class QPainter;

namespace printing {

struct Pages {
    int count = 1;
    // Paints page `index` into `area`, in the painter's device units.
    std::function<void(QPainter&, const QRectF& area, int index)> paint;
    QString title; // of the PDF, and the suggested file name
    QPageLayout::Orientation orientation = QPageLayout::Landscape;
};

} // namespace printing
