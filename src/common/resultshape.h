#pragma once
// The shape of the results matrix, written down here only: the main window measures into
// it, the grid shows a row of it, a card keeps it as 25 rows of 28 cells, the charts draw
// it, and the catalogue lays its meridians and point rows out by it.
namespace session {

inline constexpr int kMeridianRows = 21; // rows 0..20: the meridians in catalogue order
inline constexpr int kBranchRows = 4;    // rows 21..24: the four branch items
inline constexpr int kFirstBranchRow = kMeridianRows;
inline constexpr int kResultRows = kMeridianRows + kBranchRows;
inline constexpr int kPointRows = 14;           // a side's rows of the point column
inline constexpr int kRightOffset = kPointRows; // intright: the right side's first column
inline constexpr int kResultColumns = 2 * kPointRows;

// The cells of a row that hold results: a branch keeps its one result in cell 0.
constexpr int usedColumns(int row) {
    return row < kFirstBranchRow ? kResultColumns : 1;
}

} // namespace session
