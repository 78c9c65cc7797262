#include "chartcells.h"
#include "charts/chartrender.h"
#include "patients/patientfiles.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

using charts::Zone;

namespace {

charts::Style testStyle() {
    QPalette pal;
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Text, Qt::black);
    pal.setColor(QPalette::Mid, QColor(160, 160, 160));
    return {pal, QFont(QStringLiteral("DejaVu Sans"), 9)};
}

using chartcells::recordWith;
using chartcells::visitWith;

struct Picture {
    QImage image;
    charts::Hits hits;

    const charts::Hit& hit(int row, bool left, int point, int visit = -1) const {
        for (const charts::Hit& h : hits)
            if (h.row == row && h.left == left && h.point == point && h.visit == visit)
                return h;
        qFatal("no bar for row %d point %d", row, point);
    }
    // The colour at a value's height in a bar's column (values 0..100 bottom to top, or
    // the range given).
    QColor at(const charts::Hit& h, double value, double low = 0, double high = 100) const {
        const double y = h.rect.bottom() - (value - low) / (high - low) * h.rect.height();
        const qreal r = image.devicePixelRatio();
        return image.pixelColor(int(h.rect.center().x() * r), int(y * r));
    }
    // Pixels of the column between two values that have exactly this colour, in per cent.
    int share(const charts::Hit& h, const QColor& c, double from, double to) const {
        const double y0 = h.rect.bottom() - to / 100 * h.rect.height();
        const double y1 = h.rect.bottom() - from / 100 * h.rect.height();
        int hits = 0, all = 0;
        for (int y = int(y0); y < int(y1); ++y)
            for (int x = int(h.rect.left()) + 1; x < int(h.rect.right()); ++x, ++all)
                hits += image.pixelColor(x, y) == c;
        return all ? hits * 100 / all : 0;
    }
    bool anyZoneColour(const charts::Hit& h, double from, double to) const {
        for (Zone z : {Zone::Low, Zone::Norm, Zone::High})
            if (share(h, charts::zoneColour(z), from, to) > 0)
                return true;
        return false;
    }
};

template <typename Paint> Picture paintOn(QSize size, qreal ratio, Paint paint) {
    Picture pic{QImage(size * ratio, QImage::Format_ARGB32), {}};
    pic.image.setDevicePixelRatio(ratio);
    pic.image.fill(Qt::white);
    QPainter p(&pic.image);
    pic.hits = paint(p, QRectF(QPointF(), QSizeF(size)));
    return pic;
}

// A pale tint of the zone: that colour's channel leads the others.
bool band(const QColor& c, Zone z) {
    const int r = c.red(), g = c.green(), b = c.blue();
    if (c == charts::zoneColour(z) || std::min({r, g, b}) < 120)
        return false;
    switch (z) {
    case Zone::Low:
        return b > r + 30 && b > g + 30;
    case Zone::Norm:
        return g > r + 30 && g > b + 30;
    case Zone::High:
        break;
    }
    return r > g + 30 && r > b + 30;
}

QString describe(const QColor& c) {
    return c.name();
}

// Pixels of exactly this colour, and the lowest row holding one.
QPair<int, int> pixelsOf(const QImage& image, const QColor& c) {
    int count = 0, lowest = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == c) {
                ++count;
                lowest = y;
            }
    return {count, lowest};
}

} // namespace

class ChartRenderTest : public QObject {
    Q_OBJECT

    const charts::VisitCells visit = visitWith({{0, 10, "80 20"},
                                                {1, 0, "20 5"},
                                                {1, 14, "50 5"},
                                                {21, 0, "83 1"},
                                                {3, 2, "60 10"},
                                                {3, 16, "20 1"}});

  private slots:
    void visitChartShowsBarsZonesAndAbsence() {
        const Picture pic = paintOn(QSize(1600, 1000), 1, [&](QPainter& p, const QRectF& a) {
            return charts::paintVisit(p, a, charts::visitChart(visit), QStringLiteral("Посещение"),
                                      testStyle());
        });
        QCOMPARE(int(pic.hits.size()), 195 * 2 + 4);
        const charts::Hit& high = pic.hit(0, true, 10);
        const QColor red = charts::zoneColour(Zone::High);
        QCOMPARE(describe(pic.at(high, 10)), describe(red));
        QCOMPARE(describe(pic.at(high, 75)), describe(red));
        QVERIFY2(band(pic.at(high, 90), Zone::High), qPrintable(describe(pic.at(high, 90))));
        // The unmeasured side of the same point: only the zone bands, at their heights.
        const charts::Hit& absent = pic.hit(0, false, 10);
        QVERIFY2(band(pic.at(absent, 20), Zone::Low), qPrintable(describe(pic.at(absent, 20))));
        QVERIFY2(band(pic.at(absent, 50), Zone::Norm), qPrintable(describe(pic.at(absent, 50))));
        QVERIFY2(band(pic.at(absent, 80), Zone::High), qPrintable(describe(pic.at(absent, 80))));
        QVERIFY(!pic.anyZoneColour(absent, 0, 100));
        // The right side is hatched but still mostly its zone's colour.
        const charts::Hit& right = pic.hit(1, false, 0);
        const int green = pic.share(right, charts::zoneColour(Zone::Norm), 3, 45);
        QVERIFY2(green > 60 && green < 100, qPrintable(QString::number(green)));
        QCOMPARE(pic.share(pic.hit(1, true, 0), charts::zoneColour(Zone::Low), 3, 12), 100);
        // A branch of 83 is in the branches' norm, and its bands are the branches' own.
        const charts::Hit& branch = pic.hit(21, true, 0);
        QCOMPARE(describe(pic.at(branch, 40)), describe(charts::zoneColour(Zone::Norm)));
        QVERIFY2(band(pic.at(pic.hit(22, true, 0), 82), Zone::Norm),
                 qPrintable(describe(pic.at(branch, 82))));
        QVERIFY(band(pic.at(absent, 82), Zone::High));
        // The drop: a mark at the level the reading fell to (80 - 20).
        QCOMPARE(pic.at(high, 60), QColor(Qt::black));
    }

    void sameDrawingAtOneAndAHalfTimesThePixels() {
        const Picture pic = paintOn(QSize(1100, 700), 1.5, [&](QPainter& p, const QRectF& a) {
            return charts::paintVisit(p, a, charts::visitChart(visit), QStringLiteral("Посещение"),
                                      testStyle());
        });
        for (const charts::Hit& h : pic.hits)
            QVERIFY(QRectF(0, 0, 1100, 700).contains(h.rect));
        QCOMPARE(describe(pic.at(pic.hit(0, true, 10), 30)), describe(charts::zoneColour(Zone::High)));
        QVERIFY(band(pic.at(pic.hit(0, false, 10), 30), Zone::Low));
    }

    // The page printed after a card: A4 upright at 100 dpi, the whole page the chart's.
    void visitPageFillsAnUprightPage() {
        const QSize a4(827, 1169);
        const auto page = [&](const charts::VisitCells& cells) {
            return paintOn(a4, 1, [&](QPainter& p, const QRectF& a) {
                charts::visitPage(cells, QStringLiteral("Посещение"))(p, a);
                return charts::Hits{};
            });
        };
        const Picture measured = page(visitWith({{0, 2, "80 5"}, {20, 1, "20 5"}, {20, 15, "90 5"}}));
        const Picture empty = page(charts::VisitCells{});
        // The legend's swatches are on both; the bars only where there are results.
        const auto [red, lowestRed] = pixelsOf(measured.image, charts::zoneColour(Zone::High));
        const auto [blue, lowestBlue] = pixelsOf(measured.image, charts::zoneColour(Zone::Low));
        const int emptyRed = pixelsOf(empty.image, charts::zoneColour(Zone::High)).first;
        const int emptyBlue = pixelsOf(empty.image, charts::zoneColour(Zone::Low)).first;
        QVERIFY2(red > emptyRed + 100 && blue > emptyBlue + 100,
                 qPrintable(QString("%1 %2 %3 %4").arg(red).arg(emptyRed).arg(blue).arg(emptyBlue)));
        QCOMPARE(pixelsOf(empty.image, charts::zoneColour(Zone::Norm)).first,
                 pixelsOf(measured.image, charts::zoneColour(Zone::Norm)).first);
        // Narrower than a screen, the meridians go into strips down the page.
        QVERIFY2(std::max(lowestRed, lowestBlue) > a4.height() / 2,
                 qPrintable(QString("%1 %2").arg(lowestRed).arg(lowestBlue)));
    }

    void trendHasABarPerMeasuredVisit() {
        charts::History h;
        const QStringList values = {"20 1", "", "50 1", "80 1", "x"};
        for (int i = 0; i < values.size(); ++i) {
            h.dates << QStringLiteral("0%1.01.2020").arg(i + 1);
            h.records << recordWith({{8, 3, values[i]}, {8, 4, "45 1"}});
        }
        const Picture pic = paintOn(QSize(1000, 600), 1, [&](QPainter& p, const QRectF& a) {
            return charts::paintTrend(p, a, charts::trendOf(h, 8, true, 3), QStringLiteral("Точка"),
                                      testStyle());
        });
        QCOMPARE(int(pic.hits.size()), 5);
        QCOMPARE(describe(pic.at(pic.hit(8, true, 3, 0), 10)), describe(charts::zoneColour(Zone::Low)));
        QCOMPARE(describe(pic.at(pic.hit(8, true, 3, 2), 10)), describe(charts::zoneColour(Zone::Norm)));
        QCOMPARE(describe(pic.at(pic.hit(8, true, 3, 3), 10)), describe(charts::zoneColour(Zone::High)));
        for (int absent : {1, 4}) {
            const charts::Hit& a = pic.hit(8, true, 3, absent);
            QVERIFY2(!pic.anyZoneColour(a, 3, 100), qPrintable(QString::number(absent)));
            QVERIFY(band(pic.at(a, 20), Zone::Low));
        }
    }

    void aThousandVisitsStayInsideTheArea() {
        charts::History h;
        for (int i = 0; i < 1000; ++i) {
            h.dates << QStringLiteral("01.01.2000");
            h.records << recordWith({{8, 3, i % 3 ? "70 5" : ""}});
        }
        const Picture pic = paintOn(QSize(800, 500), 1, [&](QPainter& p, const QRectF& a) {
            return charts::paintTrend(p, a, charts::trendOf(h, 8, true, 3), QStringLiteral("Точка"),
                                      testStyle());
        });
        QCOMPARE(int(pic.hits.size()), 1000);
        for (const charts::Hit& hit : pic.hits)
            QVERIFY(QRectF(0, 0, 800, 500).contains(hit.rect));
    }

    // On a 1366 x 768 screen the chart window's chart gets about 1340 x 540 pixels: there no
    // text runs into another (fewer numbers on a low axis, dense labels left out) or out.
    void labelsStayApartOnALaptopScreen_data() {
        QTest::addColumn<int>("chart");
        QTest::newRow("visit") << 0;
        QTest::newRow("trend, 60 visits") << 1;
        QTest::newRow("sides") << 2;
    }
    void labelsStayApartOnALaptopScreen() {
        QFETCH(int, chart);
        charts::History h;
        for (int i = 0; i < 60; ++i) {
            h.dates << QStringLiteral("%1.01.2020").arg(i % 28 + 1, 2, 10, QChar('0'));
            h.records << recordWith({{8, 3, "50 5"}});
        }
        std::vector<QRectF> texts;
        const charts::Style style{testStyle().palette, QFont(QStringLiteral("DejaVu Sans"), 10), &texts};
        const QRectF area(0, 0, 1340, 540);
        paintOn(area.size().toSize(), 1, [&](QPainter& p, const QRectF& a) {
            if (chart == 1)
                return charts::paintTrend(p, a, charts::trendOf(h, 8, true, 3), "Точка", style);
            if (chart == 2)
                return charts::paintSides(p, a, charts::sideDifferences(visit, 10), 10, "Стороны", style);
            return charts::paintVisit(p, a, charts::visitChart(visit), "Посещение", style);
        });
        QVERIFY2(texts.size() > 20, qPrintable(QString::number(texts.size())));
        const auto shown = [](const QRectF& r) {
            return QStringLiteral("(%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
        };
        for (size_t i = 0; i < texts.size(); ++i) {
            QVERIFY2(area.contains(texts[i]), qPrintable(shown(texts[i])));
            for (size_t j = i + 1; j < texts.size(); ++j)
                QVERIFY2(!texts[i].intersects(texts[j]), qPrintable(shown(texts[i]) + shown(texts[j])));
        }
    }

    void sidesFlagOnlyDifferencesOverTheThreshold() {
        const auto cells =
            visitWith({{0, 0, "60 1"}, {0, 14, "20 1"}, {0, 1, "45 1"}, {0, 15, "40 1"}, {0, 2, "70 1"}});
        const Picture pic = paintOn(QSize(1600, 1000), 1, [&](QPainter& p, const QRectF& a) {
            return charts::paintSides(p, a, charts::sideDifferences(cells, 10), 10, QStringLiteral("Стороны"),
                                      testStyle());
        });
        QCOMPARE(int(pic.hits.size()), 195);
        const QColor red = charts::zoneColour(Zone::High);
        // The largest difference is 40, so the scale runs from -40 to 40.
        QCOMPARE(describe(pic.at(pic.hit(0, true, 0), 20, -40, 40)), describe(red));
        QCOMPARE(describe(pic.at(pic.hit(0, true, 1), 2, -40, 40)),
                 describe(testStyle().palette.color(QPalette::Mid)));
        QVERIFY(pic.share(pic.hit(0, true, 1), red, 0, 100) == 0);
        QVERIFY(pic.share(pic.hit(0, true, 2), red, 0, 100) == 0);
        QVERIFY(pic.share(pic.hit(0, true, 2), testStyle().palette.color(QPalette::Mid), 0, 100) == 0);
    }
};

QTEST_MAIN(ChartRenderTest)
#include "tst_chartrender.moc"
