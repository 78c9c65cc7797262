#pragma once
// Paints the three result charts onto any QPainter (window, printer, PDF, image) in any
// area: sizes follow the font as the device measures it, colours the palette, and the
// zones the main window's gauge. Each call reports where its bars landed, for clicks.
#include "charts/chartdata.h"

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QRectF>
#include <functional>
#include <vector>

class QPainter;

namespace charts {

struct Style {
    QPalette palette;
    QFont font;
    // When set, the rectangle every text took is added here: a layout can be checked for
    // labels that run into each other.
    std::vector<QRectF>* texts = nullptr;
    // The application's palette and font.
    static Style system();
};

// The gauge's colours: blue, dark green, red.
QColor zoneColour(Zone zone);

// A bar's place: the results row (meridian or branch), side and point row; in the trend
// the visit (history position) instead.
struct Hit {
    QRectF rect;
    int row = -1;
    bool left = true;
    int point = -1;
    int visit = -1;
};
using Hits = std::vector<Hit>;
const Hit* hitAt(const Hits& hits, const QPointF& at);

// All meridians and the branches of one visit: left and right bars side by side.
Hits paintVisit(QPainter& p, const QRectF& area, const std::vector<MeridianBars>& chart, const QString& title,
                const Style& style = Style::system());
// The visit at a glance as a page of its own, to print after the card: the area is the page's.
std::function<void(QPainter&, const QRectF& area)> visitPage(const VisitCells& visit, const QString& title);
// The same of a results matrix: the card window's chart page, handed to it by its opener.
std::function<void(QPainter&, const QRectF& area)> resultsPage(const session::ResultsMatrix& results,
                                                               const QString& title);
// One point over the visits, with its meridian's mean.
Hits paintTrend(QPainter& p, const QRectF& area, const Trend& trend, const QString& title,
                const Style& style = Style::system());
// Left minus right per point, flagged bars over the threshold.
Hits paintSides(QPainter& p, const QRectF& area, const std::vector<MeridianDifferences>& chart, int threshold,
                const QString& title, const Style& style = Style::system());

} // namespace charts
