#include "catalogue/catalogue.h"
#include "readingrig.h"

#include <QtTest>
#include <climits>

using namespace reading;

class TestReadingProcessor : public QObject {
    Q_OBJECT
  private slots:
    void clamping_data() {
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("value");
        for (int b : {0, 1, 50, 69, 70})
            QTest::addRow("%d", b) << b << 0;
        for (int b : {171, 200, 249, 251, 254})
            QTest::addRow("%d", b) << b << 100;
        QTest::newRow("120") << 120 << 50;
    }
    void clamping() {
        QFETCH(int, byte);
        QFETCH(int, value);
        Rig r;
        r.feed({byte});
        QCOMPARE(r.p.datain(), 70 + value);
        QCOMPARE(r.sink.bar, value * 50);
    }

    void touchStart_data() {
        QTest::addColumn<int>("byte");
        QTest::addColumn<bool>("starts");
        QTest::newRow("72") << 72 << false;
        QTest::newRow("73") << 73 << true;
    }
    void touchStart() {
        QFETCH(int, byte);
        QFETCH(bool, starts);
        Rig r;
        r.ctx.measuringMs = 2500;
        r.feed({byte});
        QCOMPARE(r.sink.timer1, starts);
        QCOMPARE(r.p.blnrezult(), starts);
        QCOMPARE(r.sink.timer1Ms, starts ? 2500 : 0);
    }

    void oneTouch() {
        Rig r;
        r.ctx.measuringMs = 2000;
        r.ctx.listPosition = 3;
        r.ctx.number = 5;
        r.ctx.intright = 14;
        r.feed({75, 90, 110, 100});
        QCOMPARE(r.sink.timer1Ms, 2000);
        r.expireTimer1();
        QVERIFY(r.sink.results.isEmpty());
        r.feed({95});
        QCOMPARE(r.sink.results, (QList<QPair<int, int>>{{40, 15}}));
        QCOMPARE(r.sink.stored, (QMap<QPair<int, int>, QString>{{{3, 19}, "40 15"}}));
        QCOMPARE(r.sink.count("beep"), 1);
        // Still on the skin: no second result from the same touch.
        r.feed({96, 97, 98});
        QCOMPARE(r.sink.storeCalls, 1);
        QVERIFY(!r.sink.timer1);
    }

    void threeTouches_data() {
        QTest::addColumn<int>("m1");
        QTest::addColumn<int>("m2");
        QTest::addColumn<int>("m3");
        QTest::addColumn<QString>("text");
        QTest::newRow("40 55 47") << 40 << 55 << 47 << "55 15";
        QTest::newRow("50 50 40") << 50 << 50 << 40 << "50 10";
    }
    void threeTouches() {
        QFETCH(int, m1);
        QFETCH(int, m2);
        QFETCH(int, m3);
        QFETCH(QString, text);
        Rig r;
        r.ctx.oneTouch = false;
        r.touch(m1);
        r.touch(m2);
        QCOMPARE(r.sink.storeCalls, 0);
        QCOMPARE(r.p.touchCount(), 2);
        r.touch(m3);
        QCOMPARE(r.sink.count("beep"), 3);
        QCOMPARE(r.p.touchCount(), 0);
        QCOMPARE(r.sink.stored.value({0, 0}), text);
        QCOMPARE(r.sink.storeCalls, 1);
    }

    // A result goes into its row and beeps, or, with no row to take it, is said to be lost
    // and never beeps.
    void storeTarget_data() {
        QTest::addColumn<bool>("oneTouch");
        QTest::addColumn<bool>("branches");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("intright");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::newRow("left side") << true << false << 0 << 3 << 0 << 0 << 3;
        QTest::newRow("right side") << true << false << 20 << 13 << 14 << 20 << 27;
        QTest::newRow("Нога-нога") << true << true << 1 << 7 << 14 << 22 << 0;
        QTest::newRow("Правая рука-нога") << true << true << 3 << 0 << 0 << 24 << 0;
        QTest::newRow("no meridian") << true << false << -1 << 0 << 0 << -1 << -1;
        QTest::newRow("row past the column") << true << false << 2 << 14 << 0 << -1 << -1;
        QTest::newRow("no branch item") << true << true << 4 << 0 << 0 << -1 << -1;
        QTest::newRow("nothing in the branch list") << true << true << -1 << 0 << 0 << -1 << -1;
        QTest::newRow("three touches, a branch") << false << true << 2 << 0 << 0 << 23 << 0;
        QTest::newRow("three touches, no branch item") << false << true << 4 << 0 << 0 << -1 << -1;
        QTest::newRow("row near the int limit") << true << false << 2 << INT_MAX << 14 << -1 << -1;
        QTest::newRow("side near the int limit") << true << false << 2 << 13 << INT_MAX << -1 << -1;
        QTest::newRow("side below the first column") << true << false << 2 << 13 << INT_MIN << -1 << -1;
    }
    void storeTarget() {
        QFETCH(bool, oneTouch);
        QFETCH(bool, branches);
        QFETCH(int, position);
        QFETCH(int, number);
        QFETCH(int, intright);
        QFETCH(int, row);
        QFETCH(int, column);
        Rig r;
        r.ctx = {.oneTouch = oneTouch,
                 .branches = branches,
                 .listPosition = position,
                 .number = number,
                 .intright = intright};
        for (int k = oneTouch ? 1 : 3; k > 0; --k)
            r.touch(30);
        const bool stored = row >= 0;
        // One touch: the peak and the byte one below it; three equal touches: no spread.
        const QString text = oneTouch ? "30 1" : "30 0";
        const auto expected =
            stored ? QMap<QPair<int, int>, QString>{{{row, column}, text}} : QMap<QPair<int, int>, QString>{};
        QCOMPARE(r.sink.stored, expected);
        // One touch beeps for its result; three touches beep for each filed touch.
        QCOMPARE(r.sink.count("beep"), (oneTouch ? 0 : 2) + (stored ? 1 : 0));
        QCOMPARE(r.sink.count("not stored " + text), stored ? 0 : 1);
        QCOMPARE(r.sink.results.size(), stored ? 1 : 0);
    }

    void press_data() {
        QTest::addColumn<bool>("short_");
        QTest::addColumn<bool>("kti");
        QTest::addColumn<QString>("action");
        QTest::newRow("short") << true << false << "previousPoint";
        QTest::newRow("short, по КТИ") << true << true << "nextMeridian";
        QTest::newRow("long, point diagnostics") << false << false << "";
    }
    void press() {
        QFETCH(bool, short_);
        QFETCH(bool, kti);
        QFETCH(QString, action);
        Rig r;
        r.ctx.kti = kti;
        r.feed({80, 255});
        QVERIFY(r.p.blnpoint());
        r.feed({255}); // a second press while one waits changes nothing
        r.sink.timer2 = short_;
        r.sink.log.clear();
        r.feed({120});
        QCOMPARE(r.sink.log, action.isEmpty() ? QStringList{} : QStringList{action});
        QVERIFY(!r.p.blnpoint());
        QVERIFY(!r.sink.timer2);
        QCOMPARE(r.p.datainmin(), 10); // the closing byte was no reading
    }

    void vegaStart_data() {
        QTest::addColumn<int>("reference");
        QTest::addColumn<int>("closing");
        QTest::addColumn<bool>("testing");
        QTest::addColumn<bool>("oneTouch");
        QTest::addColumn<bool>("starts");
        QTest::newRow("120") << 40 << 120 << true << true << true;
        QTest::newRow("105") << 40 << 105 << true << true << true;
        QTest::newRow("135") << 40 << 135 << true << true << true;
        QTest::newRow("100") << 40 << 100 << true << true << false;
        QTest::newRow("140") << 40 << 140 << true << true << false;
        QTest::newRow("no reference") << 0 << 120 << true << true << false;
        QTest::newRow("point diagnostics") << 40 << 120 << false << true << false;
        QTest::newRow("three touches") << 40 << 120 << true << false << false;
    }
    void vegaStart() {
        QFETCH(int, reference);
        QFETCH(int, closing);
        QFETCH(bool, testing);
        QFETCH(bool, oneTouch);
        QFETCH(bool, starts);
        Rig r;
        r.ctx.testing = testing;
        r.ctx.oneTouch = oneTouch;
        r.longPress(reference, closing);
        QCOMPARE(r.p.blnVega(), starts);
        QCOMPARE(r.sink.count("vegaOn"), starts ? 1 : 0);
        QCOMPARE(r.p.sngVega(), starts ? 80.0f / reference : 1.0f);
    }

    void vegaDisplayAndEnd() {
        Rig r;
        r.ctx.testing = true;
        r.feed({120});
        const int usualBar = r.sink.bar;
        r.longPress(40, 120);
        QVERIFY(r.p.blnVega());
        r.feed({120});
        QCOMPARE(r.sink.live, 100);
        QCOMPARE(r.sink.bar, 2 * usualBar);
        r.feed({170}); // 100 × 2 would run past the scale
        QCOMPARE(r.sink.bar, kScaleTwips);
        QCOMPARE(r.sink.live, 200);
        r.longPress(0, 90); // any closing byte ends it
        QVERIFY(!r.p.blnVega());
        QCOMPARE(r.p.sngVega(), 1.0f);
        QCOMPARE(r.sink.count("vegaOff"), 1);
    }

    void resetByte() {
        Rig r;
        r.ctx.testing = true;
        r.longPress(40, 120);
        QVERIFY(r.p.blnVega());
        r.sink.log.clear();
        r.feed({250});
        QCOMPARE(r.sink.log, QStringList{"reset"}); // no bar, no touch: 250 is no reading
        QVERIFY(!r.p.blnVega());
        QCOMPARE(r.p.sngVega(), 1.0f);

        // Mid-touch, the reset must not raise the maximum to 100.
        r.ctx.testing = false;
        r.feed({70, 80, 100, 250, 95});
        r.expireTimer1();
        r.feed({95});
        QCOMPARE(r.sink.results, (QList<QPair<int, int>>{{30, 5}}));
    }

    // Mend: a touch that ends before its time is dropped and stores nothing.
    void earlyEndDiscarded() {
        Rig r;
        r.touch(30);
        QCOMPARE(r.sink.stored.value({0, 0}), "30 1");
        r.feed({90, 100, 70});
        QVERIFY2(!r.sink.timer1, "Timer1 still runs after the touch ended");
        r.sink.take(r.p.Timer1_Timer()); // an expiry already on its way does not arm a result
        QVERIFY(!r.p.blndata());
        r.feed({70, 70, 70});
        QCOMPARE(r.sink.storeCalls, 1);
        QCOMPARE(r.sink.stored.value({0, 0}), "30 1");
        // The next touch starts afresh with its own maximum and its full time.
        r.feed({85});
        QVERIFY(r.sink.timer1);
        r.expireTimer1();
        r.feed({84});
        QCOMPARE(r.sink.results.last(), (QPair<int, int>(15, 1)));
    }

    // A touch whose time ran out but that ended in medication testing left no result
    // behind for the first byte of the next touch.
    void touchEndedInTesting() {
        Rig r;
        r.feed({90});
        r.expireTimer1();
        r.ctx.testing = true;
        r.feed({70});
        r.ctx.testing = false;
        r.feed({100});
        QCOMPARE(r.sink.storeCalls, 0);
        QVERIFY(r.sink.timer1);
    }

    // The probe leaves right after the time ran out: the touch's own maximum counts.
    void endRightAfterTime_data() {
        QTest::addColumn<bool>("oneTouch");
        QTest::newRow("one touch") << true;
        QTest::newRow("three touches") << false;
    }
    void endRightAfterTime() {
        QFETCH(bool, oneTouch);
        Rig r;
        r.ctx.oneTouch = oneTouch;
        if (!oneTouch)
            r.touch(20), r.touch(25);
        r.feed({100, 110, 105});
        r.expireTimer1();
        r.feed({70});
        QCOMPARE(r.sink.stored.value({0, 0}), oneTouch ? "40 5" : "40 20");
        QCOMPARE(r.p.datainmax(), 0);
        r.feed({80});
        QCOMPARE(r.p.datainmax(), 10);
    }

    void burstInOneNotification() {
        Rig r;
        int contexts = 0;
        const auto context = [&] {
            ++contexts;
            ReadingContext c;
            c.timer2Running = r.sink.timer2;
            return c;
        };
        const auto take = [&](const Effects& e) { r.sink.take(e); };
        r.p.processBytes(QByteArray(), context, take);
        QCOMPARE(contexts, 0);
        QVERIFY(r.sink.log.isEmpty());
        // 255 and its closing byte together: Timer2 started by the first counts for the second.
        r.p.processBytes(QByteArray("\xff\x78", 2), context, take);
        QCOMPARE(r.sink.log, QStringList{"previousPoint"});
        // The bytes after a result are processed after the beeps, in order.
        r.p.processBytes(QByteArray("\x50\x5a", 2), context, take);
        r.expireTimer1();
        r.sink.log.clear();
        r.p.processBytes(QByteArray("\x55\x46\x49", 3), context, take);
        QCOMPARE(r.sink.log, (QStringList{"bar 750", "beep", "bar 0", "bar 150", "timer1"}));
    }

    // Whole records where one byte asks for several things: the window carries them out
    // in the record's order, so each must come in one record and nothing else with it.
    void oneByteRecord() {
        Rig r;
        r.ctx.listPosition = 2;
        r.ctx.number = 4;
        r.feed({73, 100});
        r.expireTimer1();
        r.ctx.timer2Running = false;
        Effects result;
        result.barTwips = 29 * 50;
        result.result = Effects::Result{.max = 30, .drop = 1, .row = 2, .column = 4, .text = "30 1"};
        result.beep3 = true;
        QCOMPARE(r.p.processByte(99, r.ctx), result);

        // The reset code closing a short press: back to points, then the step up.
        r.feed({255});
        r.ctx.timer2Running = true;
        Effects resetAndStep;
        resetAndStep.resetToPoints = true;
        resetAndStep.stopTimer2 = true;
        resetAndStep.move = Effects::Move::PreviousPoint;
        QCOMPARE(r.p.processByte(kResetByte, r.ctx), resetAndStep);

        // The touch ends before a new one: the bar, then Timer1 stopped, nothing shown.
        r.feed({90});
        Effects end;
        end.barTwips = 0;
        end.stopTimer1 = true;
        QCOMPARE(r.p.processByte(70, r.ctx), end);
    }

    void shortPressSteps_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("meridian");
        QTest::addColumn<int>("row");
        QTest::newRow("up one") << 5 << 0 << 4;
        QTest::newRow("row 0 wraps") << 0 << 0 << 10;
        QTest::newRow("Почки wraps") << 0 << 19 << 13;
        QTest::newRow("past a shorter meridian") << 12 << 17 << 3;
        QTest::newRow("branch item keeps") << 2 << -1 << 2;
    }
    void shortPressSteps() {
        QFETCH(int, index);
        QFETCH(int, meridian);
        QFETCH(int, row);
        QCOMPARE(catalogue::previousPointRow(index, meridian), row);
    }

    void nextMeridian_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("next");
        const int points = int(modes::Mode::Points), testing = int(modes::Mode::Testing),
                  branches = int(modes::Mode::Branches);
        QTest::newRow("first meridian") << points << 0 << 1;
        QTest::newRow("to the last meridian") << points << 19 << 20;
        QTest::newRow("last meridian wraps") << points << 20 << 0;
        QTest::newRow("testing wraps the same") << testing << 20 << 0;
        QTest::newRow("nothing selected") << points << -1 << 0;
        QTest::newRow("next branch") << branches << 2 << 3;
        QTest::newRow("last branch wraps") << branches << 3 << 0;
        QTest::newRow("past the branches") << branches << 4 << 0;
    }
    void nextMeridian() {
        QFETCH(int, mode);
        QFETCH(int, position);
        QFETCH(int, next);
        QCOMPARE(catalogue::nextMeridianPosition(position, modes::Mode(mode)), next);
    }
};

QTEST_GUILESS_MAIN(TestReadingProcessor)
#include "tst_readingprocessor.moc"
