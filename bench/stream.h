#pragma once
// A realistic device stream for the benchmarks: the simulator's touches, pauses, presses,
// noise and resets, with the time of every byte.
#include "scenario.h"

#include <QByteArray>
#include <vector>

namespace bench {

inline constexpr const char* kScenario = R"(
pause 1s
touch 45 5.5s
pause 1.5s
press short
pause 0.5s
touch 60 4s drop 12
pause 1s
noise 1s
touch 30 1s
press long 50
touch 50 2s
pause 0.5s
press long
reset
pause 1s
)";

// Generated at one byte a millisecond, so that touches sent back to back at the line rate
// still outlast the 3 s measuring time.
inline constexpr const char* kLineRateScenario =
    "rate 1ms; touch 45 3.5s; pause 1s; press short; noise 0.5s; touch 60 3.5s drop 12; pause 1s; reset";

inline QByteArray bytesOf(const char* scenario) {
    sim::Scenario s;
    QString error;
    sim::parse(QString::fromLatin1(scenario), &s, &error);
    QByteArray out;
    for (const auto& t : sim::Generator(3).run(s))
        out.append(char(t.byte));
    return out;
}

// At least minBytes bytes: the scenario over and over.
inline std::vector<sim::TimedByte> timedStream(size_t minBytes) {
    sim::Scenario s;
    QString error;
    sim::parse(QString::fromLatin1(kScenario), &s, &error);
    sim::Generator gen(5);
    std::vector<sim::TimedByte> out;
    qint64 at = 0;
    while (out.size() < minBytes) {
        for (const auto& t : gen.run(s, at))
            out.push_back(t);
        at = gen.endMs();
    }
    return out;
}

} // namespace bench
