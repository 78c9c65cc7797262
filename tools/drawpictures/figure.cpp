#include "figure.h"

#include "shapes.h"
#include "style.h"

#include <QPainter>

using shapes::Tube;

namespace figure {

namespace {

// The figure faces the viewer, so the patient's right side is on the left of the picture.
constexpr qreal kAxis = style::kWidth / 2.0;

QPointF mirrored(const QPointF& p) {
    return QPointF(2 * kAxis - p.x(), p.y());
}

QVector<QPointF> mirrored(const QVector<QPointF>& pts) {
    QVector<QPointF> out;
    for (const QPointF& p : pts)
        out << mirrored(p);
    return out;
}

QPainterPath mirrored(const QPainterPath& path) {
    QTransform t;
    t.translate(2 * kAxis, 0);
    t.scale(-1, 1);
    return t.map(path);
}

// Centre lines of the right arm and the right leg (left of the picture), hand and foot last.
const QVector<QPointF> kRightArm = {{55, 61}, {41, 104}, {30, 144}, {24, 163}};
const QVector<QPointF> kRightLeg = {{71, 142}, {69, 196}, {68, 240}, {63, 253}};

QPainterPath bodyOutline() {
    QPainterPath body;
    body.addEllipse(QPointF(kAxis, 25), 13, 16);
    body = body.united(Tube({{{kAxis, 36}, 6.5}, {{kAxis, 50}, 7.5}}).path());
    const QVector<QPointF> rightHalf = {{83, 47}, {74, 47},  {62, 49},  {52, 53},  {46.5, 61}, {50, 71},
                                        {61, 84}, {64, 100}, {65, 116}, {60, 132}, {59, 144},  {68, 152}};
    body = body.united(shapes::closedCurve(rightHalf + QVector<QPointF>{{83, 155}} + [&] {
        QVector<QPointF> v = mirrored(rightHalf);
        std::reverse(v.begin(), v.end());
        return v.mid(0, v.size() - 1);
    }()));
    QPainterPath right;
    right.addPath(Tube({{kRightArm[0], 8.5}, {kRightArm[1], 6.3}, {kRightArm[2], 4.7}}).path());
    right.addPath(Tube({{kRightArm[2] + QPointF(-0.5, 2), 5.6}, {kRightArm[3], 5.2}}).path());
    right.addPath(Tube({{{31.5, 151}, 2.6}, {{33.5, 158}, 2.2}}).path()); // thumb, toward the thigh
    right.addPath(Tube({{kRightLeg[0], 12.5}, {kRightLeg[1], 8.5}, {kRightLeg[2], 5.5}}).path());
    right.addPath(Tube({{kRightLeg[2], 6}, {kRightLeg[3], 7}}).path());
    right.setFillRule(Qt::WindingFill);
    right = right.simplified();
    return body.united(right).united(mirrored(right)).simplified();
}

// A side letter drawn with strokes, so the picture does not depend on installed fonts.
void drawLetter(QPainter& p, QChar letter, const QPointF& topLeft) {
    const qreal w = 7, h = 10;
    QPainterPath path;
    if (letter == u'П') {
        path.moveTo(topLeft + QPointF(0, h));
        path.lineTo(topLeft);
        path.lineTo(topLeft + QPointF(w, 0));
        path.lineTo(topLeft + QPointF(w, h));
    } else {
        path.moveTo(topLeft + QPointF(0, h));
        path.quadTo(topLeft + QPointF(1.8, h * 0.6), topLeft + QPointF(1.8, 0));
        path.lineTo(topLeft + QPointF(w, 0));
        path.lineTo(topLeft + QPointF(w, h));
    }
    p.setPen(QPen(style::kOutline, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

void drawPath(QPainter& p, const QVector<QPointF>& route) {
    const QColor blue(20, 100, 210);
    QPainterPath line;
    line.addPolygon(shapes::spline(route, false));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(blue, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(line);
    // Electrodes at both ends.
    p.setPen(QPen(Qt::white, 1.2));
    p.setBrush(blue);
    p.drawEllipse(route.first(), 4.5, 4.5);
    p.drawEllipse(route.last(), 4.5, 4.5);
}

QVector<QPointF> reversed(QVector<QPointF> v) {
    std::reverse(v.begin(), v.end());
    return v;
}

} // namespace

void draw(QPainter& p, Path path) {
    const QPainterPath body = bodyOutline();
    p.setPen(style::outlinePen());
    p.setBrush(style::kSkin);
    p.drawPath(body);

    drawLetter(p, u'П', {8, 176});
    drawLetter(p, u'Л', {151, 176});

    const QVector<QPointF> rightArm = {kRightArm[3], kRightArm[2], kRightArm[1], {52, 67}};
    const QVector<QPointF> rightLeg = {kRightLeg[3], kRightLeg[2], kRightLeg[1], {70.5, 150}};
    const QVector<QPointF> rightSide = {{62, 66}, {68, 95}, {70.5, 125}};
    QVector<QPointF> route;
    switch (path) {
    case Path::HandToHand:
        route =
            rightArm + QVector<QPointF>{{61, 60}, {kAxis, 58.5}, {105, 60}} + reversed(mirrored(rightArm));
        break;
    case Path::FootToFoot:
        route = rightLeg + QVector<QPointF>{{kAxis, 136}} + reversed(mirrored(rightLeg));
        break;
    case Path::RightHandToRightFoot:
        route = rightArm + rightSide + reversed(rightLeg);
        break;
    case Path::LeftHandToLeftFoot:
        route = mirrored(rightArm + rightSide + reversed(rightLeg));
        break;
    }
    drawPath(p, route);
}

} // namespace figure
