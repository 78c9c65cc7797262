#pragma once
// The reading processor driven as the window drives it: each returned record carried out
// in its order, the timers kept as flags and what the window would do logged.
#include "measurement/readingprocessor.h"

#include <QtTest>

namespace reading {
// Failure messages show the whole record.
inline char* toString(const Effects& e) {
    const auto opt = [](const std::optional<int>& v) { return v ? QString::number(*v) : QString("-"); };
    QString t = QString("reset %1 stop2 %2 start2 %3 move %4 bar %5 stop1 %6 start1 %7 live %8")
                    .arg(e.resetToPoints)
                    .arg(e.stopTimer2)
                    .arg(opt(e.startTimer2Ms))
                    .arg(int(e.move))
                    .arg(opt(e.barTwips))
                    .arg(e.stopTimer1)
                    .arg(opt(e.startTimer1Ms))
                    .arg(opt(e.live));
    if (e.result)
        t += QString(" result %1 %2 at %3,%4 \"%5\"")
                 .arg(e.result->max)
                 .arg(e.result->drop)
                 .arg(e.result->row)
                 .arg(e.result->column)
                 .arg(e.result->text);
    return QTest::toString(t + QString(" beep %1").arg(e.beep3));
}

// Plays the window: carries out each returned record in its order, keeps the two timers'
// state and logs what the window would do.
struct Sink {
    bool timer1 = false;
    int timer1Ms = 0;
    bool timer2 = false;
    int bar = -1;
    int live = -1;
    QList<QPair<int, int>> results;
    QMap<QPair<int, int>, QString> stored;
    int storeCalls = 0;
    QStringList log;

    void take(const Effects& e) {
        if (e.resetToPoints)
            log << "reset";
        if (e.stopTimer2)
            timer2 = false;
        if (e.startTimer2Ms)
            timer2 = true;
        static const char* const moves[] = {"", "nextMeridian", "previousPoint", "vegaOn", "vegaOff"};
        if (e.move != Effects::Move::None)
            log << moves[int(e.move)];
        if (e.barTwips)
            bar = *e.barTwips, log << QString("bar %1").arg(bar);
        if (e.stopTimer1)
            timer1 = false;
        if (e.startTimer1Ms)
            timer1 = true, timer1Ms = *e.startTimer1Ms, log << "timer1";
        if (e.live)
            live = *e.live;
        if (e.result && e.result->row >= 0) {
            results.append({e.result->max, e.result->drop});
            stored[{e.result->row, e.result->column}] = e.result->text, ++storeCalls;
        } else if (e.result) {
            log << QString("not stored %1 %2").arg(e.result->max).arg(e.result->drop);
        }
        if (e.beep3)
            log << "beep";
    }
    int count(const QString& entry) const { return int(log.count(entry)); }
};

struct Rig {
    Sink sink;
    ReadingProcessor p;
    ReadingContext ctx;

    void feed(std::initializer_list<int> bytes) {
        for (int b : bytes) {
            ctx.timer2Running = sink.timer2;
            sink.take(p.processByte(quint8(b), ctx));
        }
    }
    void expireTimer1() {
        QVERIFY2(sink.timer1, "Timer1 is not running");
        sink.take(p.Timer1_Timer());
    }
    // One touch rising to `max` (value), the time running out at the peak, one more byte.
    void touch(int max) {
        feed({73, 70 + max});
        expireTimer1();
        feed({70 + max - 1, 70});
    }
    // A reading before the press, then 255 and, after Timer2 ran out, the closing byte.
    void longPress(int reference, int closing) {
        if (reference > 0)
            feed({70 + reference});
        feed({255});
        sink.timer2 = false;
        feed({closing});
    }
};

} // namespace reading
