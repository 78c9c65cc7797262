#pragma once
// Drawing pieces the three charts share: sizes from the font, the frame with title and
// legend, value axes, zone bands and the groups of bars laid out in strips.
#include "charts/chartrender.h"

#include <QFontMetricsF>
#include <QString>
#include <vector>

namespace charts::paint {

// Device units derived from the font as the painter's device measures it, so a printer
// page and a window at 150 % get the same proportions.
struct Metrics {
    QFont font;
    QFont small;
    double line = 0;      // height of a line of text
    double smallLine = 0; // height of a line of the small font
    double pad = 0;
    double pen = 1;
    double axis = 0;    // width of the value axis with its numbers
    double minUnit = 0; // narrowest slot of a point that stays readable
};
Metrics metricsFor(QPainter& p, const Style& style);
double textWidth(const QFont& font, QPainter& p, const QString& text);
// Draws a text in its rectangle (clipped to it) and notes where it went.
void text(QPainter& p, const QRectF& r, int flags, const QString& text, const Style& s);

struct LegendItem {
    QColor colour;
    QString text;
};
// Paints the background, title and legend; gives the area left for the plot.
QRectF frame(QPainter& p, const QRectF& area, const QString& title, const std::vector<LegendItem>& legend,
             const Metrics& m, const Style& style);

// Value range of a plot, bottom to top.
struct Range {
    double low = 0;
    double high = 100;
    double y(const QRectF& plot, double v) const;
};
// The first of the steps (smallest first) whose numbers stand a line apart at this height:
// a low plot gets fewer of them. The last step is taken when none does.
double axisStep(const Range& r, double height, double lineHeight, const std::vector<double>& steps);
// Numbers and light grid lines on the left of the plot, every step that axisStep chooses.
void valueAxis(QPainter& p, const QRectF& plot, const Range& r, const std::vector<double>& steps,
               const Metrics& m, const Style& s);
// The three zones of the scale behind the bars, in pale tints.
void zoneBands(QPainter& p, const QRectF& columns, Scale scale, const Range& r, const Style& s);
// A small cross where a value is missing.
void absentMark(QPainter& p, const QPointF& base, double size, const Metrics& m, const Style& s);

// Groups of slots (a meridian's points) placed left to right in as few strips as keep a
// slot readable; names go under each group.
struct Placed {
    int strip = 0;
    double x = 0;
};
struct Strips {
    std::vector<QRectF> plots; // per strip, right of the axis
    std::vector<Placed> groups;
    double unit = 0; // slot width
};
Strips layoutStrips(const QRectF& area, const std::vector<int>& units, int labelLines, const Metrics& m);
// The group's name (wrapped) and, when the slots are wide enough, its point numbers.
void groupLabels(QPainter& p, const QRectF& plot, double x, double unit, const QString& name,
                 const QStringList& numbers, const Metrics& m, const Style& s);

} // namespace charts::paint
