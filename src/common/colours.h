#pragma once
// Colour values as the data and the layout give them: red in the low byte; values with
// the high bit set name system colours.
#include "common/colourvalues.h"

#include <QColor>

namespace colours {

// System colours come from the application's palette.
QColor toQColor(quint32 value);

} // namespace colours
