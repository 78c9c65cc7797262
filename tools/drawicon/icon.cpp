#include "icon.h"

#include <QPainter>
#include <QtMath>

namespace icon {

namespace {

const QPointF kCentre(128, 150);

QPointF onCircle(qreal radius, qreal degrees) {
    const qreal a = qDegreesToRadians(degrees);
    return kCentre + QPointF(radius * qCos(a), -radius * qSin(a));
}

// An open arc from `from` to `to` degrees (counter-clockwise, 0 to the right).
QPainterPath arc(qreal radius, qreal from, qreal to) {
    QPainterPath p;
    p.arcMoveTo(QRectF(kCentre.x() - radius, kCentre.y() - radius, 2 * radius, 2 * radius), from);
    p.arcTo(QRectF(kCentre.x() - radius, kCentre.y() - radius, 2 * radius, 2 * radius), from, to - from);
    return p;
}

QString number(qreal v) {
    return QString::number(v, 'f', 2);
}

QString colour(const QColor& c) {
    return c.isValid() ? c.name() : QStringLiteral("none");
}

} // namespace

QList<Shape> shapes() {
    QList<Shape> out;
    QPainterPath tile;
    tile.addRoundedRect(QRectF(12, 12, 232, 232), 44, 44);
    out.append({tile, QColor(0x1f, 0x5f, 0x8b), {}, 0});
    out.append({arc(86, 210, 130), {}, QColor(0x3c, 0xc0, 0x50), 24});
    out.append({arc(86, 130, 50), {}, QColor(0xf0, 0xd0, 0x30), 24});
    out.append({arc(86, 50, -30), {}, QColor(0xe0, 0x40, 0x30), 24});
    // The needle points at a reading of about two thirds of the scale.
    const qreal needle = 70;
    QPainterPath hand;
    hand.moveTo(onCircle(8, needle + 90));
    hand.lineTo(onCircle(96, needle));
    hand.lineTo(onCircle(8, needle - 90));
    hand.closeSubpath();
    out.append({hand, Qt::white, {}, 0});
    QPainterPath hub;
    hub.addEllipse(kCentre, 16, 16);
    out.append({hub, Qt::white, {}, 0});
    return out;
}

QImage render(const QList<Shape>& shapes, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(qreal(size) / kCanvas, qreal(size) / kCanvas);
    for (const Shape& s : shapes) {
        p.setBrush(s.fill.isValid() ? QBrush(s.fill) : QBrush(Qt::NoBrush));
        p.setPen(s.stroke.isValid() ? QPen(s.stroke, s.width, Qt::SolidLine, Qt::FlatCap) : QPen(Qt::NoPen));
        p.drawPath(s.path);
    }
    return image;
}

QByteArray svg(const QList<Shape>& shapes) {
    QString out = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%1\" "
                                 "viewBox=\"0 0 %1 %1\">\n")
                      .arg(kCanvas);
    for (const Shape& s : shapes) {
        QString d;
        for (int i = 0; i < s.path.elementCount(); ++i) {
            const QPainterPath::Element e = s.path.elementAt(i);
            if (e.type == QPainterPath::MoveToElement)
                d += QStringLiteral("M%1 %2 ").arg(number(e.x), number(e.y));
            else if (e.type == QPainterPath::LineToElement)
                d += QStringLiteral("L%1 %2 ").arg(number(e.x), number(e.y));
            else if (e.type == QPainterPath::CurveToElement)
                d += QStringLiteral("C%1 %2 ").arg(number(e.x), number(e.y));
            else
                d += QStringLiteral("%1 %2 ").arg(number(e.x), number(e.y));
        }
        out += QStringLiteral("  <path d=\"%1\" fill=\"%2\" stroke=\"%3\" stroke-width=\"%4\"/>\n")
                   .arg(d.trimmed(), colour(s.fill), colour(s.stroke), number(s.width));
    }
    out += QStringLiteral("</svg>\n");
    return out.toUtf8();
}

} // namespace icon
