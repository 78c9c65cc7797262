#pragma once
// Smooth outlines from a few control points, so the drawings stay easy to adjust by hand.
#include <QPainterPath>
#include <QPointF>
#include <QPolygonF>
#include <QVector>

namespace shapes {

// Catmull-Rom curve through the points, sampled finely enough to look smooth at 1:1.
QPolygonF spline(const QVector<QPointF>& points, bool closed, int steps = 12);
QPainterPath closedCurve(const QVector<QPointF>& points);

struct Node {
    QPointF centre;
    qreal halfWidth;
};

// A finger, toe or limb: a rounded tube along a smooth centre line, half-widths in pixels.
class Tube {
  public:
    explicit Tube(const QVector<Node>& nodes);
    const QPainterPath& path() const { return m_path; }
    // Point of the centre line at a fraction of its length (0 = first node), its direction
    // and half-width there.
    QPointF at(qreal fraction) const;
    QPointF direction(qreal fraction) const;
    qreal halfWidth(qreal fraction) const;
    QPointF tipCentre() const { return m_centre.last(); }

  private:
    int sampleAt(qreal fraction) const;
    QPointF directionAt(int sample) const;
    QPolygonF m_centre;
    QVector<qreal> m_halfWidth;
    QVector<qreal> m_length; // running length at each sample
    QPainterPath m_path;
};

// A nail seen from the back of the finger: its free edge toward the tip.
QPainterPath nail(const Tube& finger, qreal length, qreal widthShare);
// A short crease across the finger at the fraction, bowed toward the tip.
QPainterPath crease(const Tube& finger, qreal fraction, qreal widthShare, qreal bow);

} // namespace shapes
