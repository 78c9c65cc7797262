#pragma once
// Keeps the processor's two timers in a byte stream's own time, as the window's timers
// would run: tests and benchmarks set `now` to each byte's time and take every record.
#include "measurement/readingprocessor.h"

struct StreamTimers {
    qint64 now = 0;
    qint64 timer1 = -1; // deadline in ms of the stream, -1 stopped
    qint64 timer2 = -1;

    void take(const reading::Effects& e) {
        if (e.stopTimer2)
            timer2 = -1;
        if (e.startTimer2Ms)
            timer2 = now + *e.startTimer2Ms;
        if (e.stopTimer1)
            timer1 = -1;
        if (e.startTimer1Ms)
            timer1 = now + *e.startTimer1Ms;
    }
};
