#pragma once
// A reading sink that lets everything pass unseen; tests and benchmarks override only
// what they watch.
#include "measurement/readingprocessor.h"

struct IdleSink : reading::ReadingSink {
    void startTimer1(int) override {}
    void stopTimer1() override {}
    void startTimer2(int) override {}
    void stopTimer2() override {}
    void showBar(int) override {}
    void showLive(int) override {}
    void showResult(int, int) override {}
    void storeResult(int, int, const QString&) override {}
    void beep3() override {}
    void resultNotStored(int, int) override {}
    void resetToPoints() override {}
    void nextMeridian() override {}
    void previousPoint() override {}
    void startVega() override {}
    void endVega() override {}
};
