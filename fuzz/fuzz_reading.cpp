// The reading processor fed as the window feeds it: device bytes, alone or in bursts, with
// timer expiries, changes of the window's controls and the options window's restart of the touch count
// between them. Whatever comes, the bar stays on the scale, figures and results stay in 0..100 (a VEGA figure
// within 100 re-referenced), and every row and column asked for exists.
#include "catalogue/catalogue.h"
#include "fuzzcheck.h"
#include "measurement/readingprocessor.h"

#include <cmath>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

using namespace reading;

QString values(std::initializer_list<double> v) {
    QString out;
    for (double x : v)
        out += QString::number(x) + u' ';
    return out;
}

// Stands in for the window: runs the timers as flags and keeps the cursor the button moves.
struct WatchingSink : ReadingSink {
    ReadingProcessor* processor = nullptr;
    bool timer1 = false;
    bool timer2 = false;
    int listPosition = 0;
    bool branches = false;
    int index = 0;
    int meridian = 0;
    int shownMax = -1;
    int shownDrop = -1;

    void startTimer1(int ms) override {
        FUZZ_CHECK(ms >= 1 && ms <= session::Settings::kMaxMs, values({double(ms)}));
        timer1 = true;
    }
    void stopTimer1() override { timer1 = false; }
    void startTimer2(int ms) override {
        FUZZ_CHECK(ms == kPressWindowMs, values({double(ms)}));
        timer2 = true;
    }
    void stopTimer2() override { timer2 = false; }
    void showBar(int widthTwips) override {
        FUZZ_CHECK(widthTwips >= 0 && widthTwips <= kScaleTwips, values({double(widthTwips)}));
    }
    void showLive(int value) override {
        const float factor = processor->blnVega() ? processor->sngVega() : 1.0f;
        FUZZ_CHECK(value >= 0 && value <= std::floor(100 * factor), values({double(value), factor}));
    }
    void showResult(int max, int drop) override {
        FUZZ_CHECK(max > 0 && max <= 100 && drop >= 0 && drop <= max, values({double(max), double(drop)}));
        shownMax = max;
        shownDrop = drop;
    }
    void storeResult(int row, int column, const QString& text) override {
        FUZZ_CHECK(row >= 0 && row < catalogue::kResultRows && column >= 0 &&
                       column < catalogue::kResultColumns,
                   values({double(row), double(column)}));
        FUZZ_CHECK(text == session::resultText(shownMax, shownDrop), text);
    }
    void beep3() override {}
    // Only when there is no row to take the result: the context always gives one here.
    void resultNotStored(int max, int drop) override {
        FUZZ_CHECK(false, values({double(max), double(drop)}));
    }
    void resetToPoints() override {
        FUZZ_CHECK(!processor->blnVega() && processor->sngVega() == 1.0f, QString());
    }
    void nextMeridian() override {
        listPosition = catalogue::nextMeridianPosition(listPosition, branches ? modes::Mode::Branches
                                                                              : modes::Mode::Points);
        FUZZ_CHECK(listPosition >= 0 &&
                       listPosition < (branches ? catalogue::kBranchCount : catalogue::kMeridianCount),
                   values({double(listPosition)}));
    }
    void previousPoint() override {
        index = catalogue::previousPointRow(index, meridian);
        if (meridian >= 0 && meridian < catalogue::kMeridianCount)
            FUZZ_CHECK(index >= 0 && index <= catalogue::bottomRow(meridian),
                       values({double(index), double(meridian)}));
    }
    void startVega() override {
        // The reference shown as 80 is a value on the scale, 1..100.
        const float f = processor->sngVega();
        FUZZ_CHECK(processor->blnVega() && std::isfinite(f) && f >= 0.8f && f <= 80.0f, values({f}));
    }
    void endVega() override { FUZZ_CHECK(!processor->blnVega() && processor->sngVega() == 1.0f, QString()); }
};

// Mostly what the window can hold; now and then any number, which the processor must survive.
int anyOr(FuzzedDataProvider& in, int low, int high) {
    return in.ConsumeIntegralInRange(0, 15) == 0 ? in.ConsumeIntegral<int>()
                                                 : in.ConsumeIntegralInRange(low, high);
}

void changeControls(FuzzedDataProvider& in, ReadingContext& c, WatchingSink& sink) {
    c.oneTouch = in.ConsumeBool();
    c.measuringMs = anyOr(in, 1, session::Settings::kMaxMs);
    c.testing = in.ConsumeBool();
    c.branches = in.ConsumeBool();
    c.kti = in.ConsumeBool();
    c.listPosition = anyOr(in, 0, c.branches ? catalogue::kBranchCount - 1 : catalogue::kMeridianCount - 1);
    c.number = anyOr(in, 0, catalogue::kRows - 1);
    c.intright = in.ConsumeBool() ? catalogue::kRightOffset : 0;
    sink.listPosition = c.listPosition;
    sink.branches = c.branches;
    sink.meridian = c.listPosition;
    sink.index = anyOr(in, 0, catalogue::kRows - 1);
}

void checkState(const ReadingProcessor& p) {
    FUZZ_CHECK(p.datainmax() >= 0 && p.datainmax() <= 100 && p.datainmin() >= 0 && p.datainmin() <= 100,
               values({double(p.datainmax()), double(p.datainmin())}));
    FUZZ_CHECK(p.datain() >= 0 && p.datain() <= 255, values({double(p.datain())}));
    FUZZ_CHECK(p.blnVega() || p.sngVega() == 1.0f, values({p.sngVega()}));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    WatchingSink sink;
    ReadingProcessor p(sink);
    sink.processor = &p;
    ReadingContext ctx;
    const auto context = [&] {
        ReadingContext c = ctx;
        c.timer2Running = sink.timer2;
        return c;
    };
    while (in.remaining_bytes() > 0) {
        switch (in.ConsumeIntegralInRange(0, 9)) {
        case 0:
            if (sink.timer1)
                p.Timer1_Timer();
            break;
        case 1:
            sink.timer2 = false; // Timer2_Timer
            break;
        case 2:
            changeControls(in, ctx, sink);
            break;
        case 3:
            p.restartTouchCount(); // the options window
            break;
        case 4: {
            const std::string burst = in.ConsumeRandomLengthString(64);
            p.processBytes(QByteArray(burst.data(), qsizetype(burst.size())), context);
            break;
        }
        default:
            p.processByte(in.ConsumeIntegral<quint8>(), context());
        }
        checkState(p);
    }
    return 0;
}
