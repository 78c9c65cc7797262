#include "printing/cardlayout.h"

#include <QtTest>

using namespace printing;

namespace {

// A fixed-pitch face 0.6 em wide: a 10-point character is 120 twips across.
double fakeWidth(const QString& text, double pointSize) {
    return text.size() * 0.6 * pointSize * 20;
}

const QString kIndent(20, QChar(' '));
const PageArea kA4{11340, 65 * 240}; // A4 less a 5 mm rim: 94.5 cells, lines 0..64

QStringList numbered(int count) {
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << QStringLiteral("строка %1").arg(i);
    return lines;
}

const Run* find(const Page& page, const QString& text) {
    for (const Run& run : page.runs)
        if (run.text == text)
            return &run;
    return nullptr;
}

QStringList textsFrom(const QList<Page>& pages, double fromY) {
    QStringList texts;
    for (const Page& page : pages)
        for (const Run& run : page.runs)
            if (run.x == 0 && run.y >= fromY)
                texts << run.text.mid(20);
    return texts;
}

} // namespace

class CardLayoutTest : public QObject {
    Q_OBJECT
  private slots:
    void centredWithOffset_data() {
        QTest::addColumn<double>("width");
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("titleX");
        QTest::addColumn<double>("nameX");
        QTest::addColumn<double>("nameSize");
        // 100 cells: title 22.4 cells -> Int(38.8) + 5; name 28 cells -> 36 + 5.
        QTest::newRow("even page") << 12000.0 << QString(20, QChar(0x0416)) << 43 * 120.0 << 41 * 120.0
                                   << 14.0;
        // 94.5 cells: title Int(36.05) + 5; a 21-character name is 29.4 cells -> Int(32.55) + 5.
        QTest::newRow("odd page") << 11340.0 << QString(21, QChar(0x0416)) << 41 * 120.0 << 37 * 120.0
                                  << 14.0;
        // 91 cells of name: Int(4.5) + 5 = 9 ends exactly at the edge.
        QTest::newRow("name to the edge")
            << 12000.0 << QString(65, QChar('a')) << 5160.0 << 9 * 120.0 << 14.0;
        // 92.4 cells: Int(3.8) + 5 = 8 would run 48 twips off the paper, so it moves left.
        QTest::newRow("name moved left") << 12000.0 << QString(66, QChar('a')) << 5160.0 << 912.0 << 14.0;
        // Wider than the paper: made smaller, from the left edge.
        QTest::newRow("name made smaller") << 12000.0 << QString(100, QChar('a')) << 5160.0 << 0.0 << 10.0;
    }
    void centredWithOffset() {
        QFETCH(double, width);
        QFETCH(QString, name);
        QFETCH(double, titleX);
        QFETCH(double, nameX);
        QFETCH(double, nameSize);
        const QList<Page> pages = layout({name, "1950", "01.02.2024", {}, {}, {}}, {width, 15600}, fakeWidth);
        QCOMPARE(pages.size(), 1);
        const Run* title = find(pages[0], QStringLiteral("КАРТА ПАЦИЕНТА"));
        const Run* named = find(pages[0], name);
        QVERIFY(title && named);
        QCOMPARE(*title, (Run{QStringLiteral("КАРТА ПАЦИЕНТА"), titleX, 240, 16}));
        QCOMPARE(named->x, nameX);
        QCOMPARE(named->y, 4 * 240.0);
        QCOMPARE(named->pointSize, nameSize);
    }

    void shortCardIsOnePageAsLaidOut() {
        const Card card{"Иванов", "1950", "01.02.2024", "болит", "здоров", "чай"};
        const QList<Page> pages = layout(card, {13000, 15600}, fakeWidth);
        QCOMPARE(pages.size(), 1);
        const QList<Run> expected{
            {QStringLiteral("Год рождения 1950          Дата посещения 01.02.2024"), 1200, 7 * 240, 10},
            {QStringLiteral("ЖАЛОБЫ:"), 1200, 9 * 240, 10},
            {kIndent + "болит", 0, 10 * 240, 10},
            {QStringLiteral("ДИАГНОЗ:"), 1200, 25 * 240, 10},
            {kIndent + "здоров", 0, 26 * 240, 10},
            {QStringLiteral("РЕЦЕПТ:"), 1200, 41 * 240, 10},
            {kIndent + "чай", 0, 42 * 240, 10}};
        QCOMPARE(pages[0].runs.mid(2), expected);
    }

    void blockLines_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        const QString a81(81, QChar('a')), a80(80, QChar('a'));
        QTest::newRow("81 on one line") << a81 << QStringList{kIndent + a81};
        QTest::newRow("82 on two") << a81 + "b" << QStringList{kIndent + a81, kIndent + "b"};
        QTest::newRow("163 on three")
            << a81 + a81 + "b" << QStringList{kIndent + a81, kIndent + a81, kIndent + "b"};
        // The CR is the 81st character, so the cut falls between it and its LF.
        QTest::newRow("CR counted") << a80 + "\r\nx" << QStringList{kIndent + a80, kIndent, kIndent + "x"};
        QTest::newRow("79 and CR LF")
            << a80.mid(1) + "\r\nx" << QStringList{kIndent + a80.mid(1), kIndent + "x"};
        QTest::newRow("LF taken as CR LF")
            << a80 + "\nx" << QStringList{kIndent + a80, kIndent, kIndent + "x"};
        QTest::newRow("empty lines kept")
            << "a\r\n\r\nb" << QStringList{kIndent + "a", kIndent, kIndent + "b"};
        QTest::newRow("tab printed as a blank") << "a\tb" << QStringList{kIndent + "a b"};
        QTest::newRow("trailing breaks print nothing") << "a\r\n\r\n" << QStringList{kIndent + "a"};
    }
    void blockLines() {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(printing::blockLines(text), lines);
    }

    void overflowContinues_data() {
        QTest::addColumn<int>("complaints");
        QTest::addColumn<int>("diagnosis");
        QTest::addColumn<int>("prescription");
        QTest::addColumn<int>("pageCount");
        QTest::newRow("all fit") << 15 << 15 << 23 << 1;
        QTest::newRow("complaints one over") << 16 << 0 << 0 << 2;
        QTest::newRow("diagnosis one over") << 0 << 16 << 0 << 2;
        QTest::newRow("prescription one over") << 0 << 0 << 24 << 2;
        QTest::newRow("all over") << 20 << 20 << 30 << 2;
        QTest::newRow("two pages over") << 200 << 0 << 0 << 5;
    }
    void overflowContinues() {
        QFETCH(int, complaints);
        QFETCH(int, diagnosis);
        QFETCH(int, prescription);
        QFETCH(int, pageCount);
        const QStringList texts[] = {numbered(complaints), numbered(diagnosis), numbered(prescription)};
        const Card card{"Петров",
                        "1960",
                        "05.06.2024",
                        texts[0].join("\r\n"),
                        texts[1].join("\r\n"),
                        texts[2].join("\r\n")};
        const QList<Page> pages = layout(card, kA4, fakeWidth);
        QCOMPARE(pages.size(), pageCount);

        const QString headings[] = {"ЖАЛОБЫ", "ДИАГНОЗ", "РЕЦЕПТ"};
        QStringList printed[3]; // every line of each block in order, whatever page it landed on
        int block = -1;
        for (qsizetype p = 0; p < pages.size(); ++p) {
            for (const Run& run : pages[p].runs) {
                // Nothing runs off the paper or over another line.
                QVERIFY2(run.y >= 0 && run.y + 240 <= kA4.height, qPrintable(run.text));
                QVERIFY2(run.x + fakeWidth(run.text, run.pointSize) <= kA4.width + 1e-6,
                         qPrintable(run.text));
                for (const Run& other : pages[p].runs)
                    QVERIFY2(&other == &run || other.y != run.y, qPrintable(run.text + " / " + other.text));
                for (int b = 0; b < 3; ++b)
                    if (run.x == 1200 && run.text.startsWith(headings[b]))
                        block = b;
                if (run.x == 0)
                    printed[block] << run.text.mid(20);
            }
            if (p == 0)
                continue;
            QCOMPARE(pages[p].runs.first().text,
                     QStringLiteral("Петров, дата посещения 05.06.2024, лист %1").arg(p + 1));
            QVERIFY(pages[p].runs.size() > 2);
            const QString heading = pages[p].runs[1].text;
            QVERIFY2(heading.endsWith(QStringLiteral(" (продолжение):")), qPrintable(heading));
            QCOMPARE(pages[p].runs[1].y, 3 * 240.0);
        }
        for (int b = 0; b < 3; ++b)
            QCOMPARE(printed[b], texts[b]);
        // The first page keeps the blocks where they always were.
        QCOMPARE(find(pages[0], QStringLiteral("ДИАГНОЗ:"))->y, 25 * 240.0);
        QCOMPARE(find(pages[0], QStringLiteral("РЕЦЕПТ:"))->y, 41 * 240.0);
    }

    void continuedHeadingsFollowEachOther() {
        const Card card{"Петров", "1960", "05.06.2024", numbered(20).join("\r\n"), numbered(20).join("\r\n"),
                        {}};
        const QList<Page> pages = layout(card, kA4, fakeWidth);
        QCOMPARE(pages.size(), 2);
        const Run* complaints = find(pages[1], QStringLiteral("ЖАЛОБЫ (продолжение):"));
        const Run* diagnosis = find(pages[1], QStringLiteral("ДИАГНОЗ (продолжение):"));
        QVERIFY(complaints && diagnosis);
        QCOMPARE(complaints->x, 1200.0);
        QCOMPARE(complaints->y, 3 * 240.0);
        // Five lines left over, then one blank line.
        QCOMPARE(diagnosis->y, 10 * 240.0);
        QCOMPARE(textsFrom(pages.mid(1), 0).first(), QStringLiteral("строка 16"));
    }

    void textMadeSmallerOnlyWhenTheLineDoesNotFit() {
        const Card card{"Петров", "1960", "05.06.2024", QString(81, QChar('a')), {}, {}};
        // The indent and a full line are 101 cells.
        const Run wide =
            *find(layout(card, {101 * 120, 15600}, fakeWidth)[0], kIndent + QString(81, QChar('a')));
        QCOMPARE(wide.pointSize, 10.0);
        const Run narrow = *find(layout(card, kA4, fakeWidth)[0], kIndent + QString(81, QChar('a')));
        QCOMPARE(narrow.pointSize, 10.0 * kA4.width / (101 * 120));
    }
};

QTEST_GUILESS_MAIN(CardLayoutTest)
#include "tst_cardlayout.moc"
