#pragma once
// The meridians, their points, control points, function lines, branch items and the
// body map point table: constant data, one source for the whole program.
#include "catalogue/modes.h"
#include "common/session.h"

#include <QPoint>
#include <QString>
#include <QStringList>
#include <QVector>

namespace catalogue {

// The meridians and point rows as the results matrix has them.
constexpr int kMeridianCount = session::kMeridianRows;
constexpr int kRows = session::kPointRows; // rows of the point column
constexpr int kBranchCount = session::kBranchRows;
using session::kFirstBranchRow;
using session::kResultColumns;
using session::kResultRows;
using session::kRightOffset;
constexpr int kFunctionLines = 372;
// The point function texts in the working folder, one per line (see functionLine()).
inline const QString kFunctionFile = QStringLiteral("function.pnt");

struct Point {
    QString number;
    QString description;
};

const QStringList& meridianNames();
QString meridianName(int m);
// Exact, case-sensitive comparison; -1 for a text that is no meridian.
int findMeridian(const QString& name);
int pointCount(int m);
int bottomRow(int m); // the start point's row, n - 1
// The probe's short press: the next list position of the mode's list (after the last
// comes the first: the 21 meridians, or the four branch items), and Index one row up,
// wrapping to the meridian's bottom row; an Index outside the meridian's rows starts
// again from its bottom row.
int nextMeridianPosition(int position, modes::Mode mode);
int previousPointRow(int index, int meridian);
Point point(int m, int row);
int ktiRow(int m);
// K: last line of the side's block in the function file.
int lastFunctionLine(int m, bool leftSide);
int functionLine(int m, bool leftSide, int row);

const QStringList& branchItems();
int findBranch(const QString& item); // -1 for no branch item
QString branchPicture(int b);

// Body map: picture file and disc centres (rows 0..n-1) of a meridian on a side.
QString mapPicture(int m, bool leftSide);
QVector<QPoint> mapPoints(int m, bool leftSide);
int mapKtiRow(int m);
// All picture files the point table uses.
QStringList limbPictures();

} // namespace catalogue
