#pragma once
// Paints the laid-out card onto any paint device: a printer, a PDF writer, a preview or an
// image. Nothing here shows a message; failures come back as values.
#include "printing/cardlayout.h"

#include <QFont>

class QPainter;
class QPaintDevice;
class QPagedPaintDevice;

namespace printing {

// Fixed pitch and Cyrillic, so one character of the 10-point text fills one cell.
QFont cardFont(double pointSize);
// Text widths in twips in the card font.
Measure fontMeasure();
// The device's paintable area in twips.
PageArea areaOf(const QPaintDevice& device);

// The painter's origin is the top-left of the printable area.
void paintPage(QPainter& painter, const Page& page);

enum class RenderResult { Done, NotStarted, PageFailed, NotFinished };
// Lays the card out for the device and paints its pages, then the chart page when it is
// chosen, on a painter already begun on the device. False when a new page failed.
bool paintCard(QPainter& painter, QPagedPaintDevice& device, const Card& card);
// The same on a painter of its own, ending the document.
RenderResult render(QPagedPaintDevice& device, const Card& card);

} // namespace printing
