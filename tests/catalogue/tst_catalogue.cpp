#include "catalogue/catalogue.h"
#include "catalogue/modes.h"
#include "common/colourvalues.h"

#include <QRegularExpression>
#include <QSet>
#include <QtTest>

using namespace catalogue;

class CatalogueTest : public QObject {
    Q_OBJECT
  private slots:
    void totals() {
        QCOMPARE(meridianNames().size(), 21);
        int points = 0;
        for (int m = 0; m < kMeridianCount; ++m) {
            QVERIFY2(pointCount(m) >= 4 && pointCount(m) <= 14, qPrintable(meridianName(m)));
            points += pointCount(m);
        }
        QCOMPARE(points, 195);
    }

    void meridians_data() {
        QTest::addColumn<int>("m");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("kti");
        QTest::addColumn<QString>("ktiPoint");
        QTest::addColumn<int>("kLeft");
        QTest::addColumn<int>("kRight");
        QTest::addColumn<QString>("top");
        QTest::addColumn<QString>("bottom");
        auto row = [](int m, const char* name, int n, int kti, const char* ktiPoint, int kl, int kr,
                      const char* top, const char* bottom) {
            QTest::newRow(name) << m << QString::fromUtf8(name) << n << kti << QString(ktiPoint) << kl << kr
                                << QString(top) << QString(bottom);
        };
        row(0, "Лимфатический", 11, 8, "1.2", 10, 21, "5", "1");
        row(1, "Легкие", 11, 8, "10c", 32, 43, "8", "11");
        row(2, "Толстая кишка", 10, 6, "1b", 53, 63, "4a", "1");
        row(3, "Нервная дегенерация", 8, 5, "1b", 71, 79, "4", "1");
        row(4, "Кровообращение", 11, 7, "8d", 90, 101, "7", "9");
        row(5, "Аллергия или сосуд. дегенерация", 7, 3, "1b", 108, 115, "2", "1");
        row(6, "Эпит. и паренх. дегенерация", 11, 7, "1b", 126, 137, "6", "1");
        row(7, "Эндокринная система", 9, 5, "1b", 146, 155, "4", "1");
        row(8, "Сердце", 12, 7, "8c", 167, 179, "6", "9");
        row(9, "Тонкая кишка", 10, 6, "1b", 189, 199, "4", "1");
        row(10, "Селезенка", 9, 7, "1a", 208, 208, "5", "1");
        row(11, "Поджелудочная железа", 9, 7, "1a", 217, 217, "5", "1");
        row(12, "Печень", 7, 5, "1a", 224, 231, "4", "1");
        row(13, "Суставная дегенерация", 7, 3, "1b", 238, 245, "3", "1");
        row(14, "Желудок", 12, 8, "44b", 257, 269, "41", "45");
        row(15, "Соедин.-тканная дегенерация", 5, 3, "1b", 274, 279, "3", "1");
        row(16, "Кожа", 7, 3, "1.3", 286, 293, "3", "1");
        row(17, "Жировая дегенерация", 4, 2, "1b", 297, 301, "3", "1");
        row(18, "Желчный пузырь", 8, 4, "43b", 309, 317, "41", "44");
        row(19, "Почки", 14, 10, "1.3", 331, 345, "6", "1");
        row(20, "Мочевой пузырь", 13, 9, "66b", 358, 371, "60", "67");
    }
    void meridians() {
        QFETCH(int, m);
        QFETCH(QString, name);
        QFETCH(int, n);
        QFETCH(int, kti);
        QFETCH(QString, ktiPoint);
        QFETCH(int, kLeft);
        QFETCH(int, kRight);
        QFETCH(QString, top);
        QFETCH(QString, bottom);
        QCOMPARE(meridianName(m), name);
        QCOMPARE(findMeridian(name), m);
        QCOMPARE(pointCount(m), n);
        QCOMPARE(bottomRow(m), n - 1);
        QCOMPARE(ktiRow(m), kti);
        QCOMPARE(point(m, kti).number, ktiPoint);
        QVERIFY2(point(m, kti).description.startsWith(QStringLiteral("КТИ")),
                 qPrintable(point(m, kti).description));
        QCOMPARE(lastFunctionLine(m, true), kLeft);
        QCOMPARE(lastFunctionLine(m, false), kRight);
        QCOMPARE(point(m, 0).number, top);
        QCOMPARE(point(m, n - 1).number, bottom);
        QCOMPARE(mapKtiRow(m), kti);
        QCOMPARE(mapPoints(m, true).size(), n);
        QCOMPARE(mapPoints(m, false).size(), n);
    }

    void functionBlocksTileTheFile() {
        // Blocks follow one another without gaps or overlaps; two meridians share one block.
        int next = 0;
        for (int m = 0; m < kMeridianCount; ++m) {
            const int n = pointCount(m);
            QCOMPARE(functionLine(m, true, n - 1), next);
            QCOMPARE(functionLine(m, true, 0), next + n - 1);
            next += n;
            const bool shared = m == 10 || m == 11;
            if (!shared) {
                QCOMPARE(functionLine(m, false, n - 1), next);
                next += n;
            } else {
                QCOMPARE(lastFunctionLine(m, false), lastFunctionLine(m, true));
            }
        }
        QCOMPARE(next, kFunctionLines);
        QCOMPARE(functionLine(0, true, 10), 0);
        QCOMPARE(functionLine(0, false, 10), 11);
        QCOMPARE(functionLine(20, false, 0), 371);
        QCOMPARE(functionLine(5, true, 0), 108);
        QCOMPARE(functionLine(19, true, 10), 321);
        QCOMPARE(functionLine(19, false, 10), 335);
    }

    void textsAsStored() {
        const QRegularExpression numberChars("^[0-9.a-f]+$");
        const QRegularExpression latin("[A-Za-z]");
        for (int m = 0; m < kMeridianCount; ++m) {
            QVERIFY(!latin.match(meridianName(m)).hasMatch());
            for (int r = 0; r < pointCount(m); ++r) {
                const Point p = point(m, r);
                QVERIFY2(numberChars.match(p.number).hasMatch(), qPrintable(p.number));
                QVERIFY2(!latin.match(p.description).hasMatch(), qPrintable(p.description));
            }
        }
        QCOMPARE(point(0, 8).description,
                 QStringLiteral("КТИ.лимфоэпителиальное глоточное кольцо Пирогова-Вальдейера"));
        QCOMPARE(point(17, 0).description,
                 QStringLiteral("ЖД органов и сосудов головы(церебросклероз, размягчение головного мозга"));
        QCOMPARE(point(15, 2).number, point(15, 4).number);
        QCOMPARE(point(6, 2).description, point(6, 10).description);
        QCOMPARE(point(13, 0).description, QStringLiteral("СД челюстного сустава и сустава С1-С2"));
        QCOMPARE(findMeridian(QStringLiteral("легкие")), -1);
        QCOMPARE(point(21, 0).number, QString());
    }

    void branches() {
        QCOMPARE(branchItems(),
                 (QStringList{"Рука-рука", "Нога-нога", "Левая рука-нога", "Правая рука-нога"}));
        QCOMPARE(branchPicture(findBranch("Нога-нога")), QStringLiteral("Man_ff.bmp"));
        QCOMPARE(branchPicture(3), QStringLiteral("Man_r.bmp"));
        QCOMPARE(findBranch("Лимфатический"), -1);
    }

    void bodyMapTable() {
        QCOMPARE(mapPicture(0, true), QStringLiteral("hand_l.bmp"));
        QCOMPARE(mapPicture(0, false), QStringLiteral("hand_r.bmp"));
        QCOMPARE(mapPoints(0, true)[1], QPoint(74, 46));
        QCOMPARE(mapPoints(0, false)[1], QPoint(88, 46));
        // The control point of "Почки" is row 10 at (102, 209); (102, 212) is its neighbour, row 11.
        QCOMPARE(mapPoints(19, true)[10], QPoint(102, 209));
        QCOMPARE(mapPoints(19, true)[11], QPoint(102, 212));
        QCOMPARE(mapPicture(10, false), QStringLiteral("foot_l.bmp"));
        QCOMPARE(mapPicture(11, true), QStringLiteral("foot_r.bmp"));
        QCOMPARE(mapPoints(10, true), mapPoints(10, false));
        for (int m = 0; m < kMeridianCount; ++m)
            for (const QPoint& p : mapPoints(m, m % 2 == 0))
                QVERIFY2(p.x() >= 0 && p.x() < 166 && p.y() >= 0 && p.y() < 265, qPrintable(meridianName(m)));
    }

    void scaleColours() {
        using modes::Mode;
        QCOMPARE(modes::tickColour(Mode::Points, 20), colours::kBlue);
        QCOMPARE(modes::tickColour(Mode::Points, 21), colours::kDarkGreen);
        QCOMPARE(modes::tickColour(Mode::Testing, 29), colours::kDarkGreen);
        QCOMPARE(modes::tickColour(Mode::Points, 30), colours::kRed);
        QCOMPARE(modes::tickColour(Mode::Branches, 39), colours::kBlue);
        QCOMPARE(modes::tickColour(Mode::Branches, 40), colours::kDarkGreen);
        QCOMPARE(modes::tickColour(Mode::Branches, 42), colours::kDarkGreen);
        QCOMPARE(modes::tickColour(Mode::Branches, 43), colours::kRed);
        QCOMPARE(modes::numberColour(Mode::Points, 4), colours::kBlue);
        QCOMPARE(modes::numberColour(Mode::Points, 5), colours::kDarkGreen);
        QCOMPARE(modes::numberColour(Mode::Points, 6), colours::kRed);
        QCOMPARE(modes::numberColour(Mode::Branches, 7), colours::kBlue);
        QCOMPARE(modes::numberColour(Mode::Branches, 8), colours::kDarkGreen);
        QCOMPARE(modes::numberColour(Mode::Branches, 9), colours::kRed);
        QCOMPARE(modes::vegaTickColour(40), colours::kRed);
        QCOMPARE(modes::vegaTickColour(41), colours::kBlue);
        QCOMPARE(modes::vegaNumberColour(8), colours::kRed);
        QCOMPARE(modes::vegaNumberColour(5), colours::kBlue);
    }
};

QTEST_GUILESS_MAIN(CatalogueTest)
#include "tst_catalogue.moc"
