#pragma once
// The hand and the foot as a practitioner opposite the patient sees them: back of the left
// hand and top of the left foot, fingers and toes pointing down. The right side is drawn
// through a mirroring transform.
class QPainter;

namespace limbs {

// Mirror axes that the point table uses: right x = 166 - left x for hands, 127 - left x for feet.
constexpr double kHandMirror = 166.0;
constexpr double kFootMirror = 127.0;

void drawLeftHand(QPainter& p);
void drawLeftFoot(QPainter& p);

} // namespace limbs
