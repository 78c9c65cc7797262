#pragma once
// A standing figure, front view, with the measuring path of a branch marked on it.
class QPainter;

namespace figure {

enum class Path { HandToHand, FootToFoot, LeftHandToLeftFoot, RightHandToRightFoot };

void draw(QPainter& p, Path path);

} // namespace figure
