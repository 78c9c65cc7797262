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

// Stands in for the window: runs the timers as flags, keeps the cursor the button moves
// and checks every record the processor returns.
struct Watcher {
    const ReadingProcessor* processor = nullptr;
    const ReadingContext* ctx = nullptr; // the controls the record was made with
    bool timer1 = false;
    bool timer2 = false;
    int listPosition = 0;
    bool branches = false;
    int index = 0;
    int meridian = 0;

    void take(const Effects& e) {
        if (e.resetToPoints)
            FUZZ_CHECK(!processor->blnVega() && processor->sngVega() == 1.0f, QString());
        if (e.stopTimer2)
            timer2 = false;
        if (e.startTimer2Ms) {
            FUZZ_CHECK(*e.startTimer2Ms == kPressWindowMs && !e.stopTimer2,
                       values({double(*e.startTimer2Ms)}));
            timer2 = true;
        }
        move(e.move);
        if (e.barTwips)
            FUZZ_CHECK(*e.barTwips >= 0 && *e.barTwips <= kScaleTwips, values({double(*e.barTwips)}));
        if (e.stopTimer1)
            timer1 = false;
        if (e.startTimer1Ms) {
            const int ms = *e.startTimer1Ms;
            FUZZ_CHECK(ms >= 1 && ms <= session::Settings::kMaxMs && !e.stopTimer1, values({double(ms)}));
            timer1 = true;
        }
        if (e.live) {
            const float factor = processor->blnVega() ? processor->sngVega() : 1.0f;
            FUZZ_CHECK(*e.live >= 0 && *e.live <= std::floor(100 * factor),
                       values({double(*e.live), factor}));
        }
        if (e.result)
            result(*e.result, e.beep3);
    }

    void result(const Effects::Result& r, bool beep) {
        FUZZ_CHECK(r.max > 0 && r.max <= 100 && r.drop >= 0 && r.drop <= r.max,
                   values({double(r.max), double(r.drop)}));
        // Stored, with its beeps, exactly when the controls select a row; then in the matrix.
        FUZZ_CHECK(
            (r.row >= 0) == selectsRow() && beep == (r.row >= 0),
            values({double(r.row), double(ctx->listPosition), double(ctx->number), double(ctx->intright)}));
        if (r.row < 0)
            return;
        FUZZ_CHECK(r.row < catalogue::kResultRows && r.column >= 0 && r.column < catalogue::kResultColumns,
                   values({double(r.row), double(r.column)}));
        FUZZ_CHECK(r.text == session::resultText(r.max, r.drop), r.text);
    }

    bool selectsRow() const {
        const int p = ctx->listPosition;
        if (ctx->branches)
            return p >= 0 && p < catalogue::kBranchCount;
        return p >= 0 && p < catalogue::kMeridianCount && ctx->number >= 0 &&
               ctx->number < catalogue::kRows &&
               (ctx->intright == 0 || ctx->intright == catalogue::kRightOffset);
    }

    void move(Effects::Move m) {
        switch (m) {
        case Effects::Move::None:
            break;
        case Effects::Move::NextMeridian:
            listPosition = catalogue::nextMeridianPosition(listPosition, branches ? modes::Mode::Branches
                                                                                  : modes::Mode::Points);
            FUZZ_CHECK(listPosition >= 0 &&
                           listPosition < (branches ? catalogue::kBranchCount : catalogue::kMeridianCount),
                       values({double(listPosition)}));
            break;
        case Effects::Move::PreviousPoint:
            index = catalogue::previousPointRow(index, meridian);
            if (meridian >= 0 && meridian < catalogue::kMeridianCount)
                FUZZ_CHECK(index >= 0 && index <= catalogue::bottomRow(meridian),
                           values({double(index), double(meridian)}));
            break;
        case Effects::Move::StartVega: {
            // The reference shown as 80 is a value on the scale, 1..100.
            const float f = processor->sngVega();
            FUZZ_CHECK(processor->blnVega() && std::isfinite(f) && f >= 0.8f && f <= 80.0f, values({f}));
            break;
        }
        case Effects::Move::EndVega:
            FUZZ_CHECK(!processor->blnVega() && processor->sngVega() == 1.0f, QString());
            break;
        }
    }
};

// Mostly what the window can hold; now and then any number, which the processor must survive.
int anyOr(FuzzedDataProvider& in, int low, int high) {
    return in.ConsumeIntegralInRange(0, 15) == 0 ? in.ConsumeIntegral<int>()
                                                 : in.ConsumeIntegralInRange(low, high);
}

void changeControls(FuzzedDataProvider& in, ReadingContext& c, Watcher& sink) {
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
    Watcher sink;
    ReadingProcessor p;
    sink.processor = &p;
    const auto take = [&](const Effects& e) { sink.take(e); };
    ReadingContext ctx;
    sink.ctx = &ctx;
    const auto context = [&] {
        ReadingContext c = ctx;
        c.timer2Running = sink.timer2;
        return c;
    };
    while (in.remaining_bytes() > 0) {
        switch (in.ConsumeIntegralInRange(0, 9)) {
        case 0:
            if (sink.timer1)
                take(p.Timer1_Timer());
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
            p.processBytes(QByteArray(burst.data(), qsizetype(burst.size())), context, take);
            break;
        }
        default:
            take(p.processByte(in.ConsumeIntegral<quint8>(), context()));
        }
        checkState(p);
    }
    return 0;
}
