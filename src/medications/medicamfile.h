#pragma once
// Reading the medication database: "][" between meridian records, "><" before each
// point record, one medication per line.
#include <QString>
#include <QStringList>

namespace medicam {

inline const QString kMeridianMark = QStringLiteral("][");
inline const QString kPointMark = QStringLiteral("><");

// Text shown for a header, name or medication line: its characters before the first CR.
QString shownText(const QString& line);

// Medications of a point record: the pieces between the name line and the text after
// the final LF.
QStringList medicationsOfRecord(const QString& pointRecord);

// Medications listed for row `row` of meridian `m` with n points, from the database
// split at "][". Point record k belongs to row n - k. A database with fewer records
// gives an empty list.
QStringList medicationsOf(const QStringList& meridianPieces, int m, int n, int row);

} // namespace medicam
