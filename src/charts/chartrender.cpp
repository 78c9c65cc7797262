#include "charts/chartrender.h"

#include "catalogue/catalogue.h"
#include "charts/chartpaint_p.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace charts {

using namespace paint;

namespace {

constexpr int kLabelLines = 4;    // point numbers and a name of up to three lines
constexpr double kBarShare = 0.4; // of a slot, per side

QStringList pointNumbers(int row, int count) {
    QStringList out;
    if (row >= session::kFirstBranchRow) {
        for (int b = 0; b < session::kBranchRows; ++b)
            out << QString::number(b + 1);
        return out;
    }
    for (int p = 0; p < count; ++p)
        out << catalogue::point(row, p).number;
    return out;
}

std::vector<LegendItem> zoneLegend() {
    return {{zoneColour(Zone::Low), QStringLiteral("ниже нормы")},
            {zoneColour(Zone::Norm), QStringLiteral("норма")},
            {zoneColour(Zone::High), QStringLiteral("выше нормы")}};
}

// A maximum as a bar with its drop as a line at the level the reading fell to; the right
// side hatched so that the sides tell apart in black and white too.
void resultBar(QPainter& p, const QRectF& column, const Range& r, const Cell& c, Zone zone, bool hatched,
               const Metrics& m, const Style& s) {
    const QPointF base(column.center().x(), column.bottom());
    if (!c) {
        absentMark(p, base, std::min(column.width(), m.smallLine * 0.5), m, s);
        return;
    }
    const double top = std::min(r.y(column, c->max), column.bottom() - m.pen * 1.5);
    const QRectF bar(column.left(), top, column.width(), column.bottom() - top);
    p.fillRect(bar, zoneColour(zone));
    if (hatched)
        p.fillRect(bar, QBrush(s.palette.color(QPalette::Base), Qt::BDiagPattern));
    const double fell = r.y(column, c->max - c->drop);
    p.setPen(QPen(s.palette.color(QPalette::Text), m.pen * 1.5));
    p.drawLine(QPointF(bar.left() - m.pen, fell), QPointF(bar.right() + m.pen, fell));
}

struct GroupPlace {
    QRectF plot;
    double x = 0;
    double unit = 0;
};

GroupPlace placeOf(const Strips& st, size_t g) {
    return {st.plots[size_t(st.groups[g].strip)], st.groups[g].x, st.unit};
}

} // namespace

Hits paintVisit(QPainter& p, const QRectF& area, const std::vector<MeridianBars>& chart, const QString& title,
                const Style& style) {
    p.save();
    const Metrics m = metricsFor(p, style);
    std::vector<LegendItem> legend = zoneLegend();
    legend.push_back(
        {{}, QStringLiteral("столбец: Л сплошной, П штрихованный; черта: падение; ×: не измерено")});
    const QRectF plotArea = frame(p, area, title, legend, m, style);
    std::vector<int> units;
    for (const MeridianBars& mb : chart)
        if (mb.row < session::kFirstBranchRow)
            units.push_back(mb.points);
    units.push_back(session::kBranchRows);
    const Strips st = layoutStrips(plotArea, units, kLabelLines, m);
    const Range r;
    for (const QRectF& plot : st.plots)
        valueAxis(p, plot, r, {20, 50, 100}, m, style);
    Hits hits;
    for (const MeridianBars& mb : chart) {
        const bool branch = mb.row >= session::kFirstBranchRow;
        const size_t g = branch ? units.size() - 1 : size_t(mb.row);
        const GroupPlace gp = placeOf(st, g);
        const double first = gp.x + (branch ? (mb.row - session::kFirstBranchRow) * gp.unit : 0);
        const int slotCount = branch ? 1 : mb.points;
        zoneBands(p, QRectF(first, gp.plot.top(), slotCount * gp.unit, gp.plot.height()), mb.scale, r, style);
        for (const PointBar& b : mb.bars) {
            const double slot = first + (branch ? 0 : b.row * gp.unit);
            const double left = branch ? slot + gp.unit * 0.2 : slot + gp.unit * (b.left ? 0.1 : 0.5);
            const double w = gp.unit * (branch ? 0.6 : kBarShare);
            const QRectF column(left, gp.plot.top(), w, gp.plot.height());
            resultBar(p, column, r, b.result, b.zone, !b.left, m, style);
            hits.push_back({column, mb.row, b.left, b.row, -1});
        }
        if (branch && mb.row == session::kFirstBranchRow)
            groupLabels(p, gp.plot, gp.x, gp.unit, QStringLiteral("Ответвления"), pointNumbers(mb.row, 0), m,
                        style);
        else if (!branch)
            groupLabels(p, gp.plot, gp.x, gp.unit, mb.name, pointNumbers(mb.row, mb.points), m, style);
    }
    p.restore();
    return hits;
}

std::function<void(QPainter&, const QRectF&)> visitPage(const VisitCells& visit, const QString& title) {
    return [chart = visitChart(visit), title](QPainter& p, const QRectF& area) {
        paintVisit(p, area, chart, title);
    };
}

std::function<void(QPainter&, const QRectF&)> resultsPage(const session::ResultsMatrix& results,
                                                          const QString& title) {
    return visitPage(VisitCells::of(results), title);
}

namespace {

// Differences are drawn on a scale that keeps the threshold and the largest one in view.
Range differenceRange(const std::vector<MeridianDifferences>& chart, int threshold) {
    int largest = threshold + 5;
    for (const MeridianDifferences& md : chart)
        for (const SideDifference& d : md.points)
            if (d.difference)
                largest = std::max(largest, std::abs(*d.difference));
    const double top = std::min(100, std::max(20, (largest + 9) / 10 * 10));
    return {-top, top};
}

void thresholdLines(QPainter& p, const QRectF& plot, const Range& r, int threshold, const Metrics& m,
                    const Style& s) {
    p.setPen(QPen(s.palette.color(QPalette::Text), m.pen, Qt::DashLine));
    for (const int v : {threshold, -threshold})
        p.drawLine(QPointF(plot.left(), r.y(plot, v)), QPointF(plot.right(), r.y(plot, v)));
    p.setPen(QPen(s.palette.color(QPalette::Text), m.pen));
    p.drawLine(QPointF(plot.left(), r.y(plot, 0)), QPointF(plot.right(), r.y(plot, 0)));
}

} // namespace

Hits paintSides(QPainter& p, const QRectF& area, const std::vector<MeridianDifferences>& chart, int threshold,
                const QString& title, const Style& style) {
    p.save();
    const Metrics m = metricsFor(p, style);
    const QColor flagged = zoneColour(Zone::High);
    const QColor plain = style.palette.color(QPalette::Mid);
    const QRectF plotArea =
        frame(p, area, title,
              {{flagged, QStringLiteral("разница больше %1").arg(threshold)},
               {plain, QStringLiteral("в пределах порога")},
               {{}, QStringLiteral("вверх: левая больше; пунктир: порог; ×: сторона не измерена")}},
              m, style);
    std::vector<int> units;
    for (const MeridianDifferences& md : chart)
        units.push_back(int(md.points.size()));
    const Strips st = layoutStrips(plotArea, units, kLabelLines, m);
    const Range r = differenceRange(chart, threshold);
    const double step = r.high / 2;
    for (const QRectF& plot : st.plots) {
        valueAxis(p, plot, r, {step, 2 * step, 4 * step}, m, style);
        thresholdLines(p, plot, r, threshold, m, style);
    }
    Hits hits;
    for (size_t g = 0; g < chart.size(); ++g) {
        const MeridianDifferences& md = chart[g];
        const GroupPlace gp = placeOf(st, g);
        for (const SideDifference& d : md.points) {
            const QRectF column(gp.x + d.row * gp.unit + gp.unit * 0.2, gp.plot.top(), gp.unit * 0.6,
                                gp.plot.height());
            const double zero = r.y(gp.plot, 0);
            if (!d.difference) {
                absentMark(p, QPointF(column.center().x(), zero), std::min(column.width(), m.smallLine * 0.5),
                           m, style);
            } else {
                const double y = r.y(gp.plot, *d.difference);
                const double h = std::max(std::abs(zero - y), m.pen * 1.5);
                p.fillRect(QRectF(column.left(), *d.difference >= 0 ? zero - h : zero, column.width(), h),
                           d.flagged ? flagged : plain);
            }
            hits.push_back({column, md.row, true, d.row, -1});
        }
        groupLabels(p, gp.plot, gp.x, gp.unit, md.name, pointNumbers(md.row, int(md.points.size())), m,
                    style);
    }
    p.restore();
    return hits;
}

} // namespace charts
