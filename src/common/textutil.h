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

// What a message quotes of a file's content: at most `max` characters, then "…", line
// breaks shown as blanks, so a long line cannot build a box taller than the screen.
constexpr qsizetype kExcerpt = 40;
QString excerpt(const QString& s, qsizetype max = kExcerpt);

// A shown line longer than this is cut, so a huge line without blanks cannot stall the layout.
constexpr qsizetype kShownLine = 10000;
// Cuts every line (between LF, CR or CR LF) of a shown text to `max` characters; line ends stay.
QString cutLines(const QString& s, qsizetype max = kShownLine);

} // namespace text
