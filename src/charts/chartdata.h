#pragma once
// What the result charts show, as plain data: a visit's results with their zones, one
// point across a patient's visits, and the difference between the sides. Results are
// kept as numbers, so a card of a thousand visits costs a few megabytes, not a million
// strings.
#include "common/session.h"
#include "patients/store.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

namespace charts {

constexpr int kDefaultThreshold = 10;

// The scale's zones as the main window's gauge colours them.
enum class Zone { Low, Norm, High };
enum class Scale { Points, Branches };
// A value takes the zone of the gauge tick it has reached (tick k stands for 2k): for the
// points 41 is still blue and 59 still green. Values off the scale take the nearest end.
Zone zoneOf(int value, Scale scale);
// The first value of the green and of the red zone.
int normFrom(Scale scale);
int highFrom(Scale scale);
Scale scaleOfRow(int row);

using Cell = std::optional<session::Result>;
// One results row: a meridian's points left then right (from column 14), or a branch in cell 0.
using RowCells = std::array<Cell, session::kResultColumns>;

// One visit's 700 cells as numbers; unmeasured and unreadable cells are empty.
struct VisitCells {
    std::array<Cell, session::kResultRows * session::kResultColumns> cells{};
    int unreadable = 0; // cells with text that is no "max drop"

    const Cell& at(int row, int column) const { return cells[row * session::kResultColumns + column]; }
    RowCells row(int row) const;
    static VisitCells of(const session::ResultsMatrix& m);
    // Straight from a card's visit record, as resultsOf() would read it.
    static VisitCells ofRecord(QStringView record);
};
// One row of a card's visit record, as VisitCells::ofRecord reads it, the rest unread.
RowCells rowOfRecord(QStringView record, int row);

// A patient's visits oldest first; dates are display text, ordered by their place in the
// card. The records stay text until a chart asks for them: a visit chart reads one visit,
// a trend one row of each.
struct History {
    QStringList dates;
    QStringList records;
    int size() const { return int(records.size()); }
    VisitCells visit(int position) const;
    // Card visit position (0 = newest) to history position, and back.
    int fromCardPosition(int cardVisit) const { return size() - 1 - cardVisit; }
};
// A card's visit records (newest first, as Card keeps them) with the index's date texts.
// Records past the dates (an edited card) are left out; missing ones are an error.
std::optional<History> historyOf(const QStringList& records, const QStringList& dates, QString* error);
// Reads the visits of the patient at that line of the store's list; visits whose dates
// differ from the list's are refused, as they could not be told apart.
std::optional<History> readHistory(patients::Store& store, int patient, QString* error);

// A visit at a glance.
struct PointBar {
    int row = 0;      // point row of the meridian, or 0 for a branch
    bool left = true; // side; branches count as left
    Cell result;      // empty: not measured
    Zone zone = Zone::Low;
};
struct MeridianBars {
    int row = 0; // results row: 0..20 meridians, 21..24 branches
    QString name;
    Scale scale = Scale::Points;
    int points = 0;
    std::vector<PointBar> bars; // point rows top to bottom, left then right for each
};
std::vector<MeridianBars> visitChart(const VisitCells& visit);

// One point across visits, with the mean of its meridian's measured maxima on that side.
struct TrendPoint {
    QString date;
    Cell result;
    Zone zone = Zone::Low;
    std::optional<double> meridianMean;
};
struct Trend {
    int row = 0;
    bool left = true;
    int point = 0;
    Scale scale = Scale::Points;
    std::vector<TrendPoint> visits;    // oldest first
    std::optional<double> meanOfMeans; // over every measured maximum of the meridian's side
};
Trend trendOf(const History& history, int row, bool left, int point);
// The trend's point of one visit given as numbers (the results the main window holds).
TrendPoint trendPointOf(const VisitCells& visit, const QString& date, int row, bool left, int point);

// Left against right: the difference of the maxima, flagged above the threshold.
struct SideDifference {
    int row = 0; // point row
    std::optional<int> left;
    std::optional<int> right;
    std::optional<int> difference; // left - right, when both sides were measured
    bool flagged = false;
};
struct MeridianDifferences {
    int row = 0;
    QString name;
    std::vector<SideDifference> points;
};
std::vector<MeridianDifferences> sideDifferences(const VisitCells& visit, int threshold);

} // namespace charts
