#pragma once
// What each diagnostic mode does to the main window, as data the window applies.
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace modes {

enum class Mode { Points, Testing, Branches };

struct Layout {
    QString meridCaption;    // lblmerid
    bool saveEnabled;        // cmdsave
    bool frameVisible;       // frapoint
    QString frameCaption;    // empty: unchanged
    bool functionVisible;    // txtfunction
    bool medicationsVisible; // lstpreparat and cmdaddcard
    bool headerVisible;      // label(0..3)
    bool sideVisible;        // chkkti, optleft, optright
    bool hideAllRows;        // the point column
    QStringList items;       // cbomeridian
};

Layout layout(Mode mode);

constexpr int kTicks = 51;   // line1(0..50), tick k for value 2k
constexpr int kNumbers = 11; // Label1(0..10), number j for value 10j

// Colour values (red in the low byte) of the scale in a mode.
quint32 tickColour(Mode mode, int tick);
quint32 numberColour(Mode mode, int number);
// VEGA: everything blue except the mark of 80.
quint32 vegaTickColour(int tick);
quint32 vegaNumberColour(int number);

} // namespace modes
