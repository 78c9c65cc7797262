#include "charts/chartpaint_p.h"

#include "common/colourvalues.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace charts {

namespace {

QColor fromValue(quint32 v) {
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

constexpr int kMaxStrips = 5;
constexpr double kSmallFont = 0.85;
constexpr int kBandAlpha = 56; // of 255: the bands stay behind the bars

} // namespace

Style Style::system() {
    return {QGuiApplication::palette(), QGuiApplication::font()};
}

QColor zoneColour(Zone zone) {
    switch (zone) {
    case Zone::Low:
        return fromValue(colours::kBlue);
    case Zone::Norm:
        return fromValue(colours::kDarkGreen);
    case Zone::High:
        break;
    }
    return fromValue(colours::kRed);
}

const Hit* hitAt(const Hits& hits, const QPointF& at) {
    for (const Hit& h : hits)
        if (h.rect.contains(at))
            return &h;
    return nullptr;
}

namespace paint {

double textWidth(const QFont& font, QPainter& p, const QString& text) {
    return QFontMetricsF(font, p.device()).horizontalAdvance(text);
}

void text(QPainter& p, const QRectF& r, int flags, const QString& text, const Style& s) {
    QRectF took;
    p.drawText(r, flags, text, &took);
    if (s.texts && !text.isEmpty())
        s.texts->push_back(took);
}

Metrics metricsFor(QPainter& p, const Style& style) {
    Metrics m;
    m.font = style.font;
    m.small = style.font;
    m.small.setPointSizeF(style.font.pointSizeF() * kSmallFont);
    const QFontMetricsF fm(m.font, p.device());
    m.line = fm.height();
    m.smallLine = QFontMetricsF(m.small, p.device()).height();
    m.pad = m.line / 3;
    m.pen = std::max(1.0, m.line / 14);
    m.axis = fm.horizontalAdvance(QStringLiteral("100")) + 2 * m.pad;
    // The widest point numbers ("10a", "66d") fit under their slot.
    m.minUnit = QFontMetricsF(m.small, p.device()).horizontalAdvance(QStringLiteral("66d")) + m.pad / 2;
    return m;
}

QRectF frame(QPainter& p, const QRectF& area, const QString& title, const std::vector<LegendItem>& legend,
             const Metrics& m, const Style& s) {
    p.fillRect(area, s.palette.color(QPalette::Base));
    QFont bold = m.font;
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(s.palette.color(QPalette::Text));
    QRectF r = area.adjusted(m.pad, m.pad, -m.pad, -m.pad);
    text(p, QRectF(r.left(), r.top(), r.width(), m.line), Qt::AlignLeft | Qt::AlignVCenter,
         QFontMetricsF(bold, p.device()).elidedText(title, Qt::ElideRight, r.width()), s);
    r.setTop(r.top() + m.line * 1.2);
    p.setFont(m.small);
    double x = r.left();
    for (const LegendItem& item : legend) {
        if (item.colour.isValid()) {
            p.fillRect(QRectF(x, r.top() + m.smallLine * 0.2, m.smallLine * 0.6, m.smallLine * 0.6),
                       item.colour);
            x += m.smallLine * 0.8;
        }
        const double w = textWidth(m.small, p, item.text);
        text(p, QRectF(x, r.top(), std::max(0.0, r.right() - x), m.smallLine),
             Qt::AlignLeft | Qt::AlignVCenter, item.text, s);
        x += w + m.line;
    }
    r.setTop(r.top() + m.smallLine * 1.5);
    return r;
}

double Range::y(const QRectF& plot, double v) const {
    const double t = (std::clamp(v, low, high) - low) / (high - low);
    return plot.bottom() - t * plot.height();
}

double axisStep(const Range& r, double height, double lineHeight, const std::vector<double>& steps) {
    for (const double step : steps)
        if (height * step / (r.high - r.low) >= lineHeight)
            return step;
    return steps.back();
}

void valueAxis(QPainter& p, const QRectF& plot, const Range& r, const std::vector<double>& steps,
               const Metrics& m, const Style& s) {
    // A number's line and a little air, so that neighbours never touch.
    const double step = axisStep(r, plot.height(), m.smallLine + m.pad / 2, steps);
    p.setFont(m.small);
    QColor grid = s.palette.color(QPalette::Mid);
    grid.setAlpha(90);
    for (double v = r.low; v <= r.high + 1e-9; v += step) {
        const double y = r.y(plot, v);
        p.setPen(QPen(grid, m.pen * 0.7));
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        p.setPen(s.palette.color(QPalette::Text));
        text(p, QRectF(plot.left() - m.axis, y - m.smallLine / 2, m.axis - m.pad, m.smallLine),
             Qt::AlignRight | Qt::AlignVCenter, QString::number(int(std::lround(v))), s);
    }
    p.setPen(QPen(s.palette.color(QPalette::Text), m.pen));
    p.drawLine(plot.bottomLeft(), plot.topLeft());
}

void zoneBands(QPainter& p, const QRectF& columns, Scale scale, const Range& r, const Style& s) {
    const double edges[] = {0, double(normFrom(scale)), double(highFrom(scale)), 100};
    const Zone zones[] = {Zone::Low, Zone::Norm, Zone::High};
    const QColor base = s.palette.color(QPalette::Base);
    for (int z = 0; z < 3; ++z) {
        QColor c = zoneColour(zones[z]);
        c.setAlpha(kBandAlpha);
        const double top = r.y(columns, edges[z + 1]), bottom = r.y(columns, edges[z]);
        const QRectF band(columns.left(), top, columns.width(), bottom - top);
        p.fillRect(band, base);
        p.fillRect(band, c);
    }
}

void absentMark(QPainter& p, const QPointF& base, double size, const Metrics& m, const Style& s) {
    p.setPen(QPen(s.palette.color(QPalette::Text), m.pen));
    const double h = size / 2;
    const QPointF c(base.x(), base.y() - h - m.pen);
    p.drawLine(c + QPointF(-h, -h), c + QPointF(h, h));
    p.drawLine(c + QPointF(-h, h), c + QPointF(h, -h));
}

namespace {

// Group indices where each strip starts, for `strips` strips of about equal width.
std::vector<int> stripStarts(const std::vector<int>& units, int strips, int* widest) {
    int total = 0;
    for (int u : units)
        total += u + 1;
    const double target = double(total) / strips;
    std::vector<int> starts{0};
    int acc = 0;
    *widest = 0;
    for (int g = 0; g < int(units.size()); ++g) {
        if (acc > 0 && acc + units[g] > target && int(starts.size()) < strips) {
            *widest = std::max(*widest, acc - 1);
            starts.push_back(g);
            acc = 0;
        }
        acc += units[g] + 1;
    }
    *widest = std::max(*widest, acc - 1);
    return starts;
}

} // namespace

Strips layoutStrips(const QRectF& area, const std::vector<int>& units, int labelLines, const Metrics& m) {
    const double width = area.width() - m.axis;
    std::vector<int> starts;
    int widest = 1;
    for (int s = 1; s <= kMaxStrips; ++s) {
        starts = stripStarts(units, s, &widest);
        if (width / std::max(1, widest) >= m.minUnit)
            break;
    }
    Strips out;
    out.unit = width / std::max(1, widest);
    const int count = int(starts.size());
    const double h = area.height() / count;
    for (int s = 0; s < count; ++s) {
        const double top = area.top() + s * h;
        out.plots.emplace_back(area.left() + m.axis, top + m.pad, width,
                               std::max(m.line, h - labelLines * m.smallLine - 2 * m.pad));
    }
    int strip = 0, offset = 0;
    for (int g = 0; g < int(units.size()); ++g) {
        if (strip + 1 < count && g == starts[size_t(strip) + 1]) {
            ++strip;
            offset = 0;
        }
        out.groups.push_back({strip, out.plots[size_t(strip)].left() + offset * out.unit});
        offset += units[size_t(g)] + 1;
    }
    return out;
}

void groupLabels(QPainter& p, const QRectF& plot, double x, double unit, const QString& name,
                 const QStringList& numbers, const Metrics& m, const Style& s) {
    p.setFont(m.small);
    p.setPen(s.palette.color(QPalette::Text));
    double y = plot.bottom() + m.pad / 2;
    double widestNumber = 0;
    for (const QString& n : numbers)
        widestNumber = std::max(widestNumber, textWidth(m.small, p, n));
    // Numbers that would touch their neighbours are left out: the bars' tooltips name them.
    if (!numbers.isEmpty() && widestNumber + m.pad / 2 <= unit) {
        for (int i = 0; i < numbers.size(); ++i)
            text(p, QRectF(x + i * unit, y, unit, m.smallLine), Qt::AlignCenter, numbers[i], s);
        y += m.smallLine;
    }
    const QRectF room(x - unit * 0.4, y, std::max<double>(numbers.size(), 1) * unit + unit * 0.8,
                      plot.bottom() + 4 * m.smallLine - y);
    // A word wider than the group's room is broken rather than run into the next name.
    int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;
    if (QFontMetricsF(m.small, p.device()).boundingRect(room, flags, name).width() > room.width())
        flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWrapAnywhere;
    text(p, room, flags, name, s);
}

} // namespace paint

} // namespace charts
