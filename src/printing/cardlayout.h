#pragma once
// The printed patient card as data: pages of positioned text runs. Positions are in twips
// from the top-left of the printable area; a character cell is 120 twips across and one
// line is 240 twips down.
#include <QList>
#include <QString>
#include <functional>

class QPainter;
class QRectF;

namespace printing {

inline constexpr int kCellTwips = 120;
inline constexpr int kLineTwips = 240;
inline constexpr int kBlockIndent = 20; // spaces before every text line of a block
inline constexpr int kLineChars = 81;   // a block line is cut after this many characters

// Paints a page over the whole printable area, in the device's units.
using PagePainter = std::function<void(QPainter&, const QRectF& area)>;

struct Card {
    QString name;
    QString year;
    QString date;
    QString complaints;
    QString diagnosis;
    QString prescription;
    // A page painted after the card's own (the visit's chart); offered when set, printed
    // only when chosen.
    PagePainter chartPage = {};
    bool withChart = false;

    bool printsChart() const { return withChart && chartPage; }
};

struct Run {
    QString text;
    double x = 0; // twips; the left of the first character
    double y = 0; // twips; the top of the line
    double pointSize = 10;

    bool operator==(const Run&) const = default;
};

struct Page {
    QList<Run> runs;
};

// The printable area of the paper, in twips.
struct PageArea {
    double width = 0;
    double height = 0;
};

// Width of a text at a point size, in twips.
using Measure = std::function<double(const QString& text, double pointSize)>;

// The block text cut into printed lines: each starts with the 20 spaces, a line break in the
// text starts a new line, and a line is cut after 81 characters, where the CR of a CR LF
// counts as a character and the LF does not. Line ends of any kind are taken as CR LF,
// the way a text box holds them.
QStringList blockLines(const QString& text);

// The card laid out on as many pages as it needs; a short card is one page.
QList<Page> layout(const Card& card, const PageArea& area, const Measure& measure);

} // namespace printing
