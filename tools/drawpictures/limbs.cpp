#include "limbs.h"

#include "shapes.h"
#include "style.h"

#include <QPainter>

using shapes::Node;
using shapes::Tube;

namespace limbs {

namespace {

// Digits are listed from the one lying lowest to the one on top: where two touch, the upper
// one's edge shows as the line between them; inside the body no digit edge is drawn.
void drawLimb(QPainter& p, const QPainterPath& body, const QVector<Tube>& digits) {
    QPainterPath silhouette = body;
    for (const Tube& d : digits)
        silhouette = silhouette.united(d.path());
    silhouette = silhouette.simplified();

    p.setPen(Qt::NoPen);
    p.setBrush(style::kSkin);
    p.drawPath(silhouette);

    QPainterPath outsideBody;
    outsideBody.addRect(-10, -10, style::kWidth + 20, style::kHeight + 20);
    outsideBody = outsideBody.subtracted(body);
    QPainterPath below;
    for (const Tube& d : digits) {
        p.save();
        p.setPen(Qt::NoPen);
        p.drawPath(d.path());
        if (!below.isEmpty()) {
            p.setClipPath(outsideBody.intersected(below));
            p.setPen(style::outlinePen());
            p.setBrush(Qt::NoBrush);
            p.drawPath(d.path());
        }
        p.restore();
        below = below.united(d.path());
    }

    p.setPen(style::outlinePen());
    p.setBrush(Qt::NoBrush);
    p.drawPath(silhouette);
}

void drawNail(QPainter& p, const Tube& digit, qreal length, qreal widthShare) {
    p.setPen(style::hintPen());
    p.setBrush(style::kNail);
    p.drawPath(shapes::nail(digit, length, widthShare));
}

void drawCrease(QPainter& p, const Tube& digit, qreal fraction, qreal widthShare, qreal bow) {
    p.setPen(style::hintPen());
    p.setBrush(Qt::NoBrush);
    p.drawPath(shapes::crease(digit, fraction, widthShare, bow));
}

} // namespace

void drawLeftHand(QPainter& p) {
    // Wrist at the top, thumb to the left, little finger to the right.
    const QPainterPath palm = shapes::closedCurve({{62, -6},   {100, -6},  {137, -6},  {139, 30},  {142, 65},
                                                   {147, 100}, {151, 130}, {150, 152}, {138, 162}, {118, 161},
                                                   {100, 160}, {80, 161},  {62, 160},  {47, 152},  {44, 130},
                                                   {48, 100},  {42, 78},   {52, 60},   {59, 40},   {61, 15}});
    const Tube thumb({{{62, 82}, 17}, {{36, 106}, 16}, {{22, 133}, 13.5}, {{13, 156}, 12}});
    const Tube index({{{60, 140}, 13.5}, {{54, 185}, 12.5}, {{46, 234}, 12}});
    const Tube middle({{{88, 135}, 15}, {{87, 195}, 14.5}, {{86, 246}, 13}});
    const Tube ring({{{111, 135}, 14}, {{114, 190}, 13.5}, {{119, 236}, 12.5}});
    const Tube little({{{133, 140}, 13.5}, {{147, 190}, 13.5}, {{152.5, 216}, 11.5}});

    drawLimb(p, palm, {little, ring, middle, index, thumb});

    for (const Tube* f : {&index, &middle, &ring, &little}) {
        drawNail(p, *f, f->halfWidth(1.0) * 1.45, 0.62);
        drawCrease(p, *f, 0.62, 0.45, 2.0);
        drawCrease(p, *f, 0.82, 0.35, 1.5);
        drawCrease(p, *f, 0.08, 0.4, -2.5);
    }
    drawNail(p, thumb, 15, 0.62);
    drawCrease(p, thumb, 0.72, 0.4, 2.0);
}

void drawLeftFoot(QPainter& p) {
    // Ankle at the top, big toe to the left, little toe to the right.
    const QPainterPath body = shapes::closedCurve(
        {{32, -6},   {65, -6},   {100, -6},  {101, 14},  {104, 35},  {107, 58}, {106, 82},
         {110, 110}, {116, 140}, {119, 170}, {120, 196}, {110, 204}, {96, 207}, {80, 206},
         {64, 206},  {48, 206},  {30, 206},  {12, 207},  {3, 200},   {2, 186},  {4, 170},
         {8, 150},   {6, 120},   {4, 92},    {6, 72},    {13, 52},   {21, 33},  {28, 14}});
    const Tube big({{{21, 198}, 19}, {{23.5, 222}, 19.5}, {{30, 243}, 15}});
    const Tube second({{{53, 198}, 12}, {{53, 225}, 10.5}, {{53, 246}, 9.5}});
    const Tube third({{{73, 198}, 12}, {{74, 222}, 10.5}, {{74.5, 241}, 9.5}});
    const Tube fourth({{{92, 198}, 11.5}, {{91, 218}, 9.8}, {{90, 231}, 9}});
    const Tube little({{{110, 195}, 10.5}, {{107.5, 214.5}, 9.5}});

    drawLimb(p, body, {little, fourth, third, second, big});

    // The two ankle bones, inner one higher, as a practitioner feels them.
    p.setPen(style::hintPen());
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(27 - 9, 43 - 9, 18, 18), 110 * 16, 140 * 16);
    p.drawArc(QRectF(92 - 8, 52 - 8, 16, 16), -70 * 16, 140 * 16);

    drawNail(p, big, 17, 0.6);
    drawCrease(p, big, 0.55, 0.4, 2.0);
    for (const Tube* t : {&second, &third, &fourth, &little}) {
        drawNail(p, *t, t->halfWidth(1.0) * 1.2, 0.55);
        drawCrease(p, *t, 0.55, 0.35, 1.5);
    }
}

} // namespace limbs
