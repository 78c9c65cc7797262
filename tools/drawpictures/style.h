#pragma once
// One palette for all eight pictures: calm skin tones on white.
#include <QColor>
#include <QPen>

namespace style {

inline const QColor kBackground(255, 255, 255);
inline const QColor kSkin(250, 226, 206);
inline const QColor kNail(253, 240, 233);
inline const QColor kOutline(138, 92, 70);
inline const QColor kHint(192, 146, 122);

inline QPen outlinePen() {
    return QPen(kOutline, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}
inline QPen hintPen() {
    return QPen(kHint, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// The picture box of the main window, in pixels.
constexpr int kWidth = 166;
constexpr int kHeight = 265;

} // namespace style
