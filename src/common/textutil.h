#pragma once
#include <QString>
#include <QStringList>

namespace text {

inline const QString kCrLf = QStringLiteral("\r\n");

// k separators give k + 1 pieces, empty ones included; nothing is escaped.
QStringList split(const QString& s, const QString& separator);
// Blanks only: tabs and line breaks stay.
QString trim(const QString& s);
// A non-negative number gets one leading blank where a sign would stand (" 7").
QString signNumber(int n);
// The piece at the index, or an empty string past either end.
QString piece(const QStringList& pieces, qsizetype index);

} // namespace text
