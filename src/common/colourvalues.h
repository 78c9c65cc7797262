#pragma once
// Colour values as the data and the layout give them: red in the low byte; values with
// the high bit set name system colours.
#include <QtGlobal>

namespace colours {

constexpr quint32 kGreen = 0x00FF00; // 65280
constexpr quint32 kRed = 0x0000FF;   // 255
constexpr quint32 kBlue = 0xFF0000;
constexpr quint32 kDarkGreen = 0x00C000;
constexpr quint32 kButtonFace = 0x8000000F;     // normal point label
constexpr quint32 kInfoBackground = 0x80000018; // selected point label, result figures
constexpr quint32 kHighlightText = 0x8000000E;  // value labels of the patient windows

} // namespace colours
