#include "chartcells.h"
#include "charts/chartdata.h"
#include "patientgen.h"
#include "patients/patientfiles.h"
#include "patients/patientstore.h"

#include <QTemporaryDir>
#include <QtTest>

using charts::Scale;
using charts::Zone;
Q_DECLARE_METATYPE(charts::Zone)
Q_DECLARE_METATYPE(charts::Scale)

namespace {

QString cellText(const charts::Cell& c) {
    return c ? QStringLiteral("%1 %2").arg(c->max).arg(c->drop) : QStringLiteral("-");
}

// The first cell where two readings differ, or empty when they agree.
QString firstDifference(const charts::VisitCells& a, const charts::VisitCells& b) {
    for (int r = 0; r < session::kResultRows; ++r)
        for (int c = 0; c < session::kResultColumns; ++c)
            if (cellText(a.at(r, c)) != cellText(b.at(r, c)))
                return QStringLiteral("row %1 cell %2: %3 vs %4")
                    .arg(r)
                    .arg(c)
                    .arg(cellText(a.at(r, c)), cellText(b.at(r, c)));
    if (a.unreadable != b.unreadable)
        return QStringLiteral("unreadable %1 vs %2").arg(a.unreadable).arg(b.unreadable);
    return {};
}

using chartcells::recordWith;
using chartcells::visitWith;

} // namespace

class ChartDataTest : public QObject {
    Q_OBJECT

  private slots:
    void zones_data() {
        QTest::addColumn<Scale>("scale");
        QTest::addColumn<int>("value");
        QTest::addColumn<Zone>("zone");
        const Scale p = Scale::Points, b = Scale::Branches;
        QTest::newRow("points 0") << p << 0 << Zone::Low;
        QTest::newRow("points 40") << p << 40 << Zone::Low;
        QTest::newRow("points 41 before the green tick") << p << 41 << Zone::Low;
        QTest::newRow("points 42") << p << 42 << Zone::Norm;
        QTest::newRow("points 59 before the red tick") << p << 59 << Zone::Norm;
        QTest::newRow("points 60") << p << 60 << Zone::High;
        QTest::newRow("points off the scale below") << p << -7 << Zone::Low;
        QTest::newRow("points off the scale above") << p << 150 << Zone::High;
        QTest::newRow("branches 60") << b << 60 << Zone::Low;
        QTest::newRow("branches 79") << b << 79 << Zone::Low;
        QTest::newRow("branches 80") << b << 80 << Zone::Norm;
        QTest::newRow("branches 85") << b << 85 << Zone::Norm;
        QTest::newRow("branches 86") << b << 86 << Zone::High;
    }
    void zones() {
        QFETCH(Scale, scale);
        QFETCH(int, value);
        QFETCH(Zone, zone);
        QCOMPARE(charts::zoneOf(value, scale), zone);
    }

    // The numeric reading of a record must be the reading of the card format itself.
    void recordReadingAgreesWithCardFormat_data() {
        QTest::addColumn<QString>("record");
        QTemporaryDir dir;
        patientgen::Options o;
        o.patients = 4;
        o.visits = 4;
        QVERIFY(patientgen::writeDatabase(dir.path(), o));
        for (int card = 1; card <= 4; ++card) {
            QFile f(dir.filePath(QStringLiteral("Database/c %1.dat").arg(card)));
            QVERIFY(f.open(QIODevice::ReadOnly));
            const patients::Card c = patients::Card::parse(f.readAll());
            for (qsizetype v = 0; v < c.visits.size(); ++v)
                QTest::addRow("card %d visit %d", card, int(v)) << c.visits[v];
        }
        const QString head = QStringLiteral("01.01.2020\r\n>\r\n>\r\n>\r\n>");
        QTest::newRow("too few fields") << QStringLiteral("01.01.2020\r\n>a>b>c>55 1,>");
        QTest::newRow("short rows and odd cells")
            << head + QStringLiteral("55,abc,5 x, 5 5,-3 -4,7 ,\r\n>1 2,3 4\r\n>");
        QTest::newRow("branch cells past the first")
            << head + QString(QStringLiteral(",\r\n>")).repeated(21) + QStringLiteral("81 2,99 9,\r\n>");
        QTest::newRow("signs and overflow")
            << head + QStringLiteral("+5 3,99999999999 1,-0 -0,1234567890 -1234567890,\r\n>");
        QTest::newRow("blank visit") << patients::blankVisit(QStringLiteral("01.01.2020"));
    }
    void recordReadingAgreesWithCardFormat() {
        QFETCH(QString, record);
        const charts::VisitCells whole = charts::VisitCells::ofRecord(record);
        const QString diff = firstDifference(whole, charts::VisitCells::of(patients::resultsOf(record)));
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
        // A trend reads one row of each visit: it must be that row of the whole reading.
        for (int r = 0; r < session::kResultRows; ++r) {
            const charts::RowCells one = charts::rowOfRecord(record, r);
            for (int c = 0; c < session::kResultColumns; ++c)
                QCOMPARE(cellText(one[size_t(c)]), cellText(whole.at(r, c)));
        }
    }

    void historyIsOldestFirst() {
        const QStringList records = {patients::blankVisit(QStringLiteral("03.01.2020")),
                                     patients::blankVisit(QStringLiteral("02.01.2020")),
                                     patients::blankVisit(QStringLiteral("01.01.2020")),
                                     QStringLiteral("extra")};
        QString error;
        const auto h = charts::historyOf(records, {"03.01.2020", "02.01.2020", "01.01.2020"}, &error);
        QVERIFY2(h, qPrintable(error));
        QCOMPARE(h->dates, QStringList({"01.01.2020", "02.01.2020", "03.01.2020"}));
        QCOMPARE(h->size(), 3); // the record past the dates is not a visit
        QCOMPARE(h->fromCardPosition(0), 2);
        QVERIFY(!charts::historyOf(records.mid(0, 1), {"03.01.2020", "02.01.2020"}, &error));
        QVERIFY(!error.isEmpty());
    }

    void readsAGeneratedCard() {
        QTemporaryDir dir;
        patientgen::Options o;
        o.patients = 2;
        o.bigVisits = 30;
        QVERIFY(patientgen::writeDatabase(dir.path(), o));
        patients::PatientStore store{WorkFolder(dir.path())};
        QVERIFY(!store.load());
        QString error;
        const auto h = charts::readHistory(store, 0, &error);
        QVERIFY2(h, qPrintable(error));
        QCOMPARE(h->size(), 30);
        QStringList newestFirst = store.index().records[0].dateLines().mid(0, 30);
        std::reverse(newestFirst.begin(), newestFirst.end());
        QCOMPARE(h->dates, newestFirst);
        QFile card(store.cardPath(store.index().records[0].cardFile()));
        QVERIFY(card.open(QIODevice::ReadOnly));
        const patients::Card c = patients::Card::parse(card.readAll());
        const QString diff =
            firstDifference(h->visit(29), charts::VisitCells::of(patients::resultsOf(c.visits[0])));
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
    }

    void refusesACardThatDoesNotMatchItsIndex() {
        QTemporaryDir dir;
        patientgen::Options o;
        o.patients = 2;
        QVERIFY(patientgen::writeDatabase(dir.path(), o));
        patients::PatientStore store{WorkFolder(dir.path())};
        QVERIFY(!store.load());
        const QString path = store.cardPath(store.index().records[0].cardFile());
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(patients::Card{{patients::blankVisit(QStringLiteral("31.12.1999"))}}.serialise());
        f.close();
        QString error;
        QVERIFY(!charts::readHistory(store, 0, &error));
        QVERIFY2(error.contains(path) || error.contains(QStringLiteral("посещений")), qPrintable(error));
        QVERIFY(QFile::remove(path));
        QVERIFY(!charts::readHistory(store, 0, &error));
        QVERIFY(!charts::readHistory(store, 5, &error));
        QCOMPARE(error, patients::kNoPatient);
    }

    void visitBarsKeepSideZoneAndAbsence() {
        const auto chart = charts::visitChart(visitWith(
            {{0, 10, "55 12"}, {0, 14 + 10, "0 0"}, {20, 14, "61 -3"}, {21, 0, "82 3"}, {22, 0, "60 1"}}));
        QCOMPARE(int(chart.size()), 25);
        int bars = 0;
        for (const auto& m : chart)
            bars += int(m.bars.size());
        QCOMPARE(bars, 195 * 2 + 4);
        const auto& lymph = chart[0];
        QCOMPARE(int(lymph.bars.size()), 22);
        const charts::PointBar& left10 = lymph.bars[20];
        QVERIFY(left10.left && left10.row == 10 && left10.result);
        QCOMPARE(left10.result->max, 55);
        QCOMPARE(left10.result->drop, 12);
        QCOMPARE(left10.zone, Zone::Norm);
        const charts::PointBar& right10 = lymph.bars[21];
        QVERIFY(!right10.left && right10.result); // measured zero is a value, not an absence
        QCOMPARE(right10.result->max, 0);
        QVERIFY(!lymph.bars[0].result);
        QCOMPARE(chart[20].bars[1].zone, Zone::High);
        QCOMPARE(chart[21].bars[0].zone, Zone::Norm);
        QCOMPARE(chart[22].bars[0].zone, Zone::Low); // 60 is below the branches' norm
        QVERIFY(!chart[23].bars[0].result);
    }

    void trendFollowsOnePointWithItsMeridianMean() {
        charts::History h;
        h.dates = QStringList{"01.01.2020", "02.01.2020", "03.01.2020"};
        h.records = {recordWith({{8, 3, "40 5"}, {8, 4, "60 5"}, {8, 17, "99 1"}}),
                     recordWith({{8, 4, "20 1"}}), recordWith({{8, 3, "70 -2"}})};
        const charts::Trend t = charts::trendOf(h, 8, true, 3);
        QCOMPARE(int(t.visits.size()), 3);
        QCOMPARE(t.visits[0].date, QStringLiteral("01.01.2020"));
        QCOMPARE(t.visits[0].result->max, 40);
        QCOMPARE(t.visits[0].zone, Zone::Low);
        QVERIFY(!t.visits[1].result);
        QCOMPARE(t.visits[2].result->drop, -2);
        QCOMPARE(t.visits[2].zone, Zone::High);
        QCOMPARE(*t.visits[0].meridianMean, 50.0); // the right side's 99 is not counted
        QCOMPARE(*t.visits[1].meridianMean, 20.0);
        QCOMPARE(*t.meanOfMeans, (40.0 + 60 + 20 + 70) / 4);
        const charts::Trend right = charts::trendOf(h, 8, false, 3);
        QCOMPARE(right.visits[0].result->max, 99);
        QVERIFY(!right.visits[1].meridianMean);
        const charts::Trend branch = charts::trendOf(h, 21, true, 0);
        QCOMPARE(branch.scale, Scale::Branches);
        // The main window's results stand in for a visit the same way.
        const charts::TrendPoint live =
            charts::trendPointOf(visitWith({{8, 17, "30 2"}, {8, 14, "50 1"}}), "сейчас", 8, false, 3);
        QCOMPARE(live.result->max, 30);
        QCOMPARE(*live.meridianMean, 40.0);
    }

    void sideDifferencesFlagAboveTheThreshold_data() {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("right");
        QTest::addColumn<int>("threshold");
        QTest::addColumn<int>("difference"); // -999: none
        QTest::addColumn<bool>("flagged");
        QTest::newRow("equal to the threshold") << "50 1"
                                                << "40 1" << 10 << 10 << false;
        QTest::newRow("one above") << "51 1"
                                   << "40 1" << 10 << 11 << true;
        QTest::newRow("right larger") << "30 1"
                                      << "45 1" << 10 << -15 << true;
        QTest::newRow("threshold set higher") << "30 1"
                                              << "45 1" << 20 << -15 << false;
        QTest::newRow("threshold zero") << "31 1"
                                        << "30 9" << 0 << 1 << true;
        QTest::newRow("right unmeasured") << "80 1"
                                          << "" << 10 << -999 << false;
        QTest::newRow("left unreadable") << "80"
                                         << "10 1" << 10 << -999 << false;
    }
    void sideDifferencesFlagAboveTheThreshold() {
        QFETCH(QString, left);
        QFETCH(QString, right);
        QFETCH(int, threshold);
        QFETCH(int, difference);
        QFETCH(bool, flagged);
        const auto chart = charts::sideDifferences(visitWith({{5, 2, left}, {5, 16, right}}), threshold);
        QCOMPARE(int(chart.size()), 21);
        QCOMPARE(int(chart[5].points.size()), 7);
        const charts::SideDifference& d = chart[5].points[2];
        QCOMPARE(d.difference.value_or(-999), difference);
        QCOMPARE(d.flagged, flagged);
        QVERIFY(!chart[5].points[0].difference);
    }
};

QTEST_GUILESS_MAIN(ChartDataTest)
#include "tst_chartdata.moc"
