// CPU time per device byte through the reading processor, with a sink that does nothing
// but keep the two timers in the stream's own time (so results are really taken). The
// stream is the simulator's: touches, pauses, presses, noise, resets.
#include "measurement/readingprocessor.h"
#include "stream.h"
#include "streamtimers.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr size_t kMinBytes = 100000;

const std::vector<sim::TimedByte>& stream() {
    static const std::vector<sim::TimedByte> bytes = bench::timedStream(kMinBytes);
    return bytes;
}

struct NullSink : StreamTimers {
    long results = 0;
    void take(const reading::Effects& e) {
        StreamTimers::take(e);
        if (e.result && e.result->row >= 0)
            ++results;
    }
};

// withProcessor false: the same loop and timer keeping without the processor, the floor
// the figure is measured against.
void run(benchmark::State& state, bool withProcessor, bool oneTouch, bool testing) {
    const auto& bytes = stream();
    long results = 0;
    for (auto _ : state) {
        NullSink sink;
        reading::ReadingProcessor p;
        reading::ReadingContext ctx;
        ctx.oneTouch = oneTouch;
        ctx.testing = testing;
        ctx.measuringMs = 3000;
        unsigned sum = 0;
        for (const sim::TimedByte& t : bytes) {
            sink.now = t.atMs;
            if (sink.timer1 >= 0 && sink.timer1 <= t.atMs)
                withProcessor ? sink.take(p.Timer1_Timer()) : void(sink.timer1 = -1);
            if (sink.timer2 >= 0 && sink.timer2 <= t.atMs)
                sink.timer2 = -1;
            ctx.timer2Running = sink.timer2 >= 0;
            if (withProcessor)
                sink.take(p.processByte(t.byte, ctx));
            else
                sum += t.byte;
        }
        benchmark::DoNotOptimize(sum);
        results = sink.results;
    }
    state.counters["bytes"] = double(bytes.size());
    state.counters["results"] = double(results);
}

BENCHMARK_CAPTURE(run, floor, false, true, false);
BENCHMARK_CAPTURE(run, one_touch, true, true, false);
BENCHMARK_CAPTURE(run, three_touches, true, false, false);
BENCHMARK_CAPTURE(run, testing, true, true, true);

// Keeps the medians to print the figures after the table.
class Reporter : public benchmark::ConsoleReporter {
  public:
    Reporter() : ConsoleReporter(OO_Tabular) {}
    std::map<std::string, double> medianCpuNs;
    std::map<std::string, double> results;
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            if (r.aggregate_name != "median")
                continue;
            const double bytes = r.counters.at("bytes");
            medianCpuNs[r.run_name.str()] = r.GetAdjustedCPUTime() / bytes;
            results[r.run_name.str()] = r.counters.at("results");
        }
    }
};

} // namespace

int main(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    std::string reps = "--benchmark_repetitions=15";
    std::string aggregates = "--benchmark_report_aggregates_only=true";
    std::string minTime = "--benchmark_min_time=0.05";
    args.insert(args.begin() + 1, {reps.data(), aggregates.data(), minTime.data()});
    int n = int(args.size());
    benchmark::Initialize(&n, args.data());
    Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const double budgetNs = 1e9 / 960; // one byte at the full line rate, 9600 baud 8N1
    const double floor = reporter.medianCpuNs["run/floor"];
    std::printf("\nReading processor, %zu bytes of a simulated stream, median of 15 runs:\n",
                stream().size());
    for (const auto& [name, ns] : reporter.medianCpuNs) {
        if (name == "run/floor")
            continue;
        std::printf("  %-18s %7.1f ns CPU per byte (loop alone %.1f ns, x%.1f); %.5f%% of the %.0f us a byte "
                    "takes on the line; %.0f results\n",
                    name.c_str() + 4, ns, floor, floor > 0 ? ns / floor : 0.0, 100.0 * ns / budgetNs,
                    budgetNs / 1000, reporter.results[name]);
    }
    benchmark::Shutdown();
    return 0;
}
