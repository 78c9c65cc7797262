// One point across the visits: a bar per visit while they are wide enough to tell apart,
// a line through the maxima beyond that; the meridian's mean as a dashed line.
#include "charts/chartpaint_p.h"
#include "charts/chartrender.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace charts {

using namespace paint;

namespace {

constexpr double kMinBar = 3; // device units: narrower slots show the maxima as a line

void dateAxis(QPainter& p, const QRectF& plot, const Trend& t, double slot, const Metrics& m,
              const Style& s) {
    p.setFont(m.small);
    p.setPen(s.palette.color(QPalette::Text));
    const double label = textWidth(m.small, p, QStringLiteral("00.00.0000")) + m.pad * 2;
    const int stride = std::max(1, int(std::ceil(label / slot)));
    const int n = int(t.visits.size());
    double free = -1e9; // where the last label drawn ends
    for (int i = 0; i < n; i += stride) {
        const double cx = plot.left() + (i + 0.5) * slot;
        const double x = std::clamp(cx - label / 2, plot.left() - m.pad, plot.right() - label + m.pad);
        // Kept inside the plot at its ends, a label may come to lie on its neighbour: left out.
        if (x < free)
            continue;
        free = x + label;
        p.drawLine(QPointF(cx, plot.bottom()), QPointF(cx, plot.bottom() + m.pad / 2));
        text(p, QRectF(x, plot.bottom() + m.pad / 2, label, m.smallLine), Qt::AlignCenter,
             t.visits[size_t(i)].date, s);
    }
}

// Separate segments rather than one path: a wide pen along a path of a thousand points is
// filled as one polygon, a hundred times slower.
void meanLine(QPainter& p, const QRectF& plot, const Trend& t, const Range& r, double slot, const Metrics& m,
              const Style& s) {
    QList<QLineF> segments;
    for (size_t i = 0; i + 1 < t.visits.size(); ++i) {
        const auto& a = t.visits[i].meridianMean;
        const auto& b = t.visits[i + 1].meridianMean;
        if (a && b)
            segments.append(QLineF(plot.left() + (double(i) + 0.5) * slot, r.y(plot, *a),
                                   plot.left() + (double(i) + 1.5) * slot, r.y(plot, *b)));
    }
    // Dashes need room: too many visits for them draw the line plain and thin.
    const bool dense = slot < m.line / 2;
    p.setPen(QPen(s.palette.color(QPalette::Text), dense ? m.pen : m.pen * 1.5,
                  dense ? Qt::SolidLine : Qt::DashLine));
    p.drawLines(segments);
    if (t.meanOfMeans) {
        p.setPen(QPen(s.palette.color(QPalette::Text), m.pen, Qt::DotLine));
        const double y = r.y(plot, *t.meanOfMeans);
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    }
}

// Maxima too dense for bars: one line, broken where a visit has no value.
void maximaLine(QPainter& p, const QRectF& plot, const Trend& t, const Range& r, double slot,
                const Metrics& m) {
    for (size_t i = 0; i + 1 < t.visits.size(); ++i) {
        const Cell& a = t.visits[i].result;
        const Cell& b = t.visits[i + 1].result;
        if (!a || !b)
            continue;
        p.setPen(QPen(zoneColour(t.visits[i + 1].zone), m.pen * 1.5));
        p.drawLine(QPointF(plot.left() + (double(i) + 0.5) * slot, r.y(plot, a->max)),
                   QPointF(plot.left() + (double(i) + 1.5) * slot, r.y(plot, b->max)));
    }
}

void visitBar(QPainter& p, const QRectF& column, const TrendPoint& v, const Range& r, const Metrics& m,
              const Style& s) {
    if (!v.result) {
        absentMark(p, QPointF(column.center().x(), column.bottom()),
                   std::min(column.width(), m.smallLine * 0.5), m, s);
        return;
    }
    const double top = std::min(r.y(column, v.result->max), column.bottom() - m.pen * 1.5);
    p.fillRect(QRectF(column.left(), top, column.width(), column.bottom() - top), zoneColour(v.zone));
    const double fell = r.y(column, v.result->max - v.result->drop);
    p.setPen(QPen(s.palette.color(QPalette::Text), m.pen * 1.5));
    p.drawLine(QPointF(column.left() - m.pen, fell), QPointF(column.right() + m.pen, fell));
}

} // namespace

Hits paintTrend(QPainter& p, const QRectF& area, const Trend& t, const QString& title, const Style& style) {
    p.save();
    const Metrics m = metricsFor(p, style);
    std::vector<LegendItem> legend = {{zoneColour(Zone::Low), QStringLiteral("ниже нормы")},
                                      {zoneColour(Zone::Norm), QStringLiteral("норма")},
                                      {zoneColour(Zone::High), QStringLiteral("выше нормы")}};
    QString note = QStringLiteral("черта: падение; ×: не измерено");
    if (t.row < session::kFirstBranchRow)
        note += QStringLiteral("; пунктир: среднее меридиана за посещение");
    if (t.meanOfMeans)
        note += QStringLiteral("; точки: среднее за все посещения %1").arg(*t.meanOfMeans, 0, 'f', 1);
    legend.push_back({{}, note});
    const QRectF inner = frame(p, area, title, legend, m, style);
    const QRectF plot(inner.left() + m.axis, inner.top() + m.pad, inner.width() - m.axis,
                      std::max(m.line, inner.height() - m.smallLine * 1.5 - m.pad * 2));
    const Range r;
    zoneBands(p, plot, t.scale, r, style);
    valueAxis(p, plot, r, {20, 50, 100}, m, style);
    Hits hits;
    const int n = int(t.visits.size());
    if (n > 0) {
        const double slot = plot.width() / n;
        const bool bars = slot * 0.6 >= kMinBar * m.pen;
        if (!bars)
            maximaLine(p, plot, t, r, slot, m);
        for (int i = 0; i < n; ++i) {
            const QRectF column(plot.left() + i * slot + (bars ? slot * 0.2 : 0), plot.top(),
                                bars ? slot * 0.6 : slot, plot.height());
            if (bars)
                visitBar(p, column, t.visits[size_t(i)], r, m, style);
            hits.push_back({column, t.row, t.left, t.point, i});
        }
        meanLine(p, plot, t, r, slot, m, style);
        dateAxis(p, plot, t, slot, m, style);
    }
    p.restore();
    return hits;
}

} // namespace charts
