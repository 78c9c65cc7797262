#include "shapes.h"

#include <QLineF>
#include <QtMath>

namespace shapes {

namespace {

QPointF catmullRom(const QPointF& p0, const QPointF& p1, const QPointF& p2, const QPointF& p3, qreal t) {
    const qreal t2 = t * t, t3 = t2 * t;
    return 0.5 * ((2 * p1) + (-p0 + p2) * t + (2 * p0 - 5 * p1 + 4 * p2 - p3) * t2 +
                  (-p0 + 3 * p1 - 3 * p2 + p3) * t3);
}

QPointF unit(const QPointF& v) {
    const qreal len = std::hypot(v.x(), v.y());
    return len > 0 ? v / len : QPointF(0, 1);
}

// Left of the direction of travel on screen (y grows downwards).
QPointF normal(const QPointF& d) {
    return QPointF(-d.y(), d.x());
}

} // namespace

QPolygonF spline(const QVector<QPointF>& points, bool closed, int steps) {
    QPolygonF out;
    const int n = int(points.size());
    if (n < 2)
        return QPolygonF(points);
    auto p = [&](int i) {
        if (closed)
            return points[((i % n) + n) % n];
        return points[qBound(0, i, n - 1)];
    };
    const int segments = closed ? n : n - 1;
    for (int s = 0; s < segments; ++s)
        for (int k = 0; k < steps; ++k)
            out << catmullRom(p(s - 1), p(s), p(s + 1), p(s + 2), qreal(k) / steps);
    if (!closed)
        out << points.last();
    return out;
}

QPainterPath closedCurve(const QVector<QPointF>& points) {
    QPainterPath path;
    path.addPolygon(spline(points, true));
    path.closeSubpath();
    return path;
}

Tube::Tube(const QVector<Node>& nodes) {
    constexpr int steps = 16;
    QVector<QPointF> centres;
    for (const Node& node : nodes)
        centres << node.centre;
    m_centre = spline(centres, false, steps);
    for (int i = 0; i < m_centre.size(); ++i) {
        const int seg = qMin(i / steps, int(nodes.size()) - 2);
        const qreal t = qreal(i - seg * steps) / steps;
        m_halfWidth << nodes[seg].halfWidth + (nodes[seg + 1].halfWidth - nodes[seg].halfWidth) * t;
        m_length << (i == 0 ? 0.0 : m_length.last() + QLineF(m_centre[i - 1], m_centre[i]).length());
    }

    const int last = int(m_centre.size()) - 1;
    QPolygonF outline;
    for (int i = 0; i <= last; ++i)
        outline << m_centre[i] + m_halfWidth[i] * normal(directionAt(i));
    constexpr int arcSteps = 24;
    const QPointF dTip = directionAt(last), nTip = normal(dTip);
    for (int k = 1; k < arcSteps; ++k) {
        const qreal a = M_PI * k / arcSteps;
        outline << m_centre[last] + m_halfWidth[last] * (std::cos(a) * nTip + std::sin(a) * dTip);
    }
    for (int i = last; i >= 0; --i)
        outline << m_centre[i] - m_halfWidth[i] * normal(directionAt(i));
    const QPointF dBase = directionAt(0), nBase = normal(dBase);
    for (int k = 1; k < arcSteps; ++k) {
        const qreal a = M_PI * k / arcSteps;
        outline << m_centre[0] - m_halfWidth[0] * (std::cos(a) * nBase + std::sin(a) * dBase);
    }
    m_path.addPolygon(outline);
    m_path.closeSubpath();
    m_path.setFillRule(Qt::WindingFill);
}

int Tube::sampleAt(qreal fraction) const {
    const qreal target = qBound(0.0, fraction, 1.0) * m_length.last();
    int i = 0;
    while (i + 1 < m_length.size() && m_length[i + 1] <= target)
        ++i;
    return i;
}

QPointF Tube::at(qreal fraction) const {
    return m_centre[sampleAt(fraction)];
}

QPointF Tube::direction(qreal fraction) const {
    return directionAt(sampleAt(fraction));
}

QPointF Tube::directionAt(int i) const {
    const int a = qMax(0, i - 1), b = qMin(int(m_centre.size()) - 1, i + 1);
    return unit(m_centre[b] - m_centre[a]);
}

qreal Tube::halfWidth(qreal fraction) const {
    return m_halfWidth[sampleAt(fraction)];
}

QPainterPath nail(const Tube& finger, qreal length, qreal widthShare) {
    const QPointF c = finger.tipCentre(), d = finger.direction(1.0), n = normal(d);
    const qreal hw = finger.halfWidth(1.0), w = widthShare * hw;
    const qreal tip = hw * 0.55, base = tip - length;
    auto local = [&](qreal along, qreal across) { return c + along * d + across * n; };
    return closedCurve({local(base, w * 0.92), local(base + length * 0.5, w), local(tip - w * 0.35, w * 0.85),
                        local(tip, 0), local(tip - w * 0.35, -w * 0.85), local(base + length * 0.5, -w),
                        local(base, -w * 0.92), local(base - w * 0.22, 0)});
}

QPainterPath crease(const Tube& finger, qreal fraction, qreal widthShare, qreal bow) {
    const QPointF c = finger.at(fraction), d = finger.direction(fraction), n = normal(d);
    const qreal w = finger.halfWidth(fraction) * widthShare;
    QPainterPath path(c + w * n);
    path.quadTo(c + bow * d, c - w * n);
    return path;
}

} // namespace shapes
