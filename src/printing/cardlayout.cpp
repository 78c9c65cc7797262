#include "printing/cardlayout.h"

#include <algorithm>
#include <cmath>

namespace printing {

namespace {

constexpr double kTitleSize = 16;
constexpr double kNameSize = 14;
constexpr double kTextSize = 10;
constexpr int kTitleLine = 1;
constexpr int kNameLine = 4;
constexpr int kYearLine = 7;
constexpr int kLeft = 10;  // character cells
constexpr int kOffset = 5; // cells right of the true centre, as the card has always been printed

struct Block {
    QString heading;
    QStringList lines;
    int start = 0; // line of the heading on the first page
    int end = 0;   // the next block's line, or one past the page's last line
    int done = 0;  // lines already placed
    bool headed = false;
};

bool blank(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.isSpace(); });
}

// Cuts to the width of the area: first moved left, then made smaller, never off the paper.
Run fitted(Run run, const PageArea& area, const Measure& measure) {
    double width = measure(run.text, run.pointSize);
    if (run.x + width > area.width)
        run.x = std::max(0.0, area.width - width);
    if (width > area.width && width > 0) {
        run.pointSize *= area.width / width;
        run.x = 0;
    }
    return run;
}

Run centred(const QString& text, double size, int line, const PageArea& area, const Measure& measure) {
    const double pageCells = area.width / kCellTwips;
    const double textCells = measure(text, size) / kCellTwips;
    const double x = std::floor((pageCells - textCells) / 2) + kOffset;
    return fitted({text, x * kCellTwips, double(line * kLineTwips), size}, area, measure);
}

void add(Page& page, const Run& run) {
    if (!blank(run.text))
        page.runs.append(run);
}

// The size at which the widest block line (the indent and a full cut line) fits across.
double textSize(const PageArea& area, const Measure& measure) {
    const double widest = measure(QString(kBlockIndent + kLineChars, QChar(0x0416)), kTextSize);
    return widest > area.width && widest > 0 ? kTextSize * area.width / widest : kTextSize;
}

// Places the heading and as many lines as fit between `line` and `limit` (exclusive).
int place(Page& page, Block& block, int line, int limit, double size) {
    if (line >= limit)
        return line;
    const QString heading =
        block.headed ? block.heading.chopped(1) + QStringLiteral(" (продолжение):") : block.heading;
    add(page, {heading, double(kLeft * kCellTwips), double(line * kLineTwips), size});
    block.headed = true;
    ++line;
    for (; line < limit && block.done < block.lines.size(); ++line, ++block.done)
        add(page, {block.lines[block.done], 0, double(line * kLineTwips), size});
    return line;
}

bool pending(const Block& block) {
    return !block.headed || block.done < block.lines.size();
}

} // namespace

QStringList blockLines(const QString& text) {
    QString source = text;
    source.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QChar('\r'), QChar('\n'));
    source.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));

    const QString indent(kBlockIndent, QChar(' '));
    QString out = indent;
    int n = 0;
    for (QChar c : source) {
        if (c == QChar('\n')) {
            out += c;
            out += indent;
            n = 0;
        } else {
            out += c;
            ++n;
        }
        if (n > kLineChars - 1) {
            out += QStringLiteral("\r\n") + indent;
            n = 0;
        }
    }

    QStringList lines = out.split(QChar('\n'));
    for (QString& line : lines) {
        line.remove(QChar('\r'));
        for (QChar& c : line)
            if (c.category() == QChar::Other_Control)
                c = QChar(' ');
    }
    while (lines.size() > 1 && blank(lines.last()))
        lines.removeLast();
    return lines;
}

QList<Page> layout(const Card& card, const PageArea& area, const Measure& measure) {
    const int lines = std::max(int(area.height / kLineTwips), kYearLine + 3);
    const double size = textSize(area, measure);

    QList<Page> pages(1);
    Page& first = pages.first();
    add(first, centred(QStringLiteral("КАРТА ПАЦИЕНТА"), kTitleSize, kTitleLine, area, measure));
    add(first, centred(card.name, kNameSize, kNameLine, area, measure));
    const QString yearLine = QStringLiteral("Год рождения ") + card.year + QString(10, QChar(' ')) +
                             QStringLiteral("Дата посещения ") + card.date;
    add(first, fitted({yearLine, double(kLeft * kCellTwips), double(kYearLine * kLineTwips), kTextSize}, area,
                      measure));

    Block blocks[] = {{QStringLiteral("ЖАЛОБЫ:"), blockLines(card.complaints), 9, 25},
                      {QStringLiteral("ДИАГНОЗ:"), blockLines(card.diagnosis), 25, 41},
                      {QStringLiteral("РЕЦЕПТ:"), blockLines(card.prescription), 41, lines}};
    for (Block& block : blocks)
        place(first, block, block.start, std::min(block.end, lines), size);

    // What did not fit goes on continuation pages in the order of the blocks, under a line
    // that names the card, so a loose sheet still belongs to its patient.
    int line = lines;
    for (Block& block : blocks) {
        while (pending(block)) {
            if (line + 1 >= lines) {
                pages.append(Page{});
                const QString head = QStringLiteral("%1, дата посещения %2, лист %3")
                                         .arg(card.name, card.date)
                                         .arg(pages.size());
                add(pages.last(),
                    fitted({head, double(kLeft * kCellTwips), double(kTitleLine * kLineTwips), kTextSize},
                           area, measure));
                line = kTitleLine + 2;
            }
            line = place(pages.last(), block, line, lines, size) + 1;
        }
    }
    return pages;
}

} // namespace printing
