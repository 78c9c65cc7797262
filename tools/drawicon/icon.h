#pragma once
// The program's icon as a few filled or stroked shapes on a 256 by 256 canvas, so the PNG
// sizes and the SVG are drawn from the same geometry.
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QPainterPath>

namespace icon {

inline constexpr int kCanvas = 256;

struct Shape {
    QPainterPath path;
    QColor fill;       // invalid: not filled
    QColor stroke;     // invalid: no outline
    qreal width = 0.0; // outline width in canvas units
};

// A gauge on a rounded square: the scale in the program's green, yellow and red, the needle
// near the top of it.
QList<Shape> shapes();

QImage render(const QList<Shape>& shapes, int size);
QByteArray svg(const QList<Shape>& shapes);

} // namespace icon
